#include <sys/statvfs.h>

#include "sysinfo/drives.h"

namespace lmr {

namespace {

// Like Wine, the native build sees the file system root as drive Z:.
class TPosixDriveProbe : public TDriveProbe {
 public:
  unsigned DriveType(const std::string& root) override { return root == "Z:\\" ? kDriveFixed : kNoRootDir; }

  bool CanQueryDisk(const std::string& root) override {
    struct statvfs fs {};
    return DriveType(root) == kDriveFixed && statvfs("/", &fs) == 0;
  }

  TDiskSpace DiskSpace(const std::string& root) override {
    TDiskSpace space;
    struct statvfs fs {};
    if (DriveType(root) == kDriveFixed && statvfs("/", &fs) == 0) {
      space.BytesAvailableToCaller = uint64_t{fs.f_bavail} * fs.f_frsize;
      space.TotalBytes = uint64_t{fs.f_blocks} * fs.f_frsize;
    }
    return space;
  }

 private:
  static constexpr unsigned kNoRootDir = 1;  // DRIVE_NO_ROOT_DIR
};

}  // namespace

TDriveProbe& PlatformDriveProbe() {
  static TPosixDriveProbe probe;
  return probe;
}

}  // namespace lmr
