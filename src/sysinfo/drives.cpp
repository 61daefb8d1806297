#include "sysinfo/drives.h"

namespace lmr {

namespace {
constexpr uint64_t kMiB = 0x100000;
}

void FillDriveInfo(TDriveProbe& probe, const std::string& typeConstName, const std::string& typeDescription,
                   const std::string& root, TUU_NDDriveInfo& info) {
  info = TUU_NDDriveInfo{};
  info.Name = root;
  info.DriveTypeInfo = typeDescription;
  info.DriveTypeWinConst = typeConstName;
  if (!probe.CanQueryDisk(root)) {
    info.InfoEx = "Cannot get disk info";
    return;
  }
  const TDiskSpace space = probe.DiskSpace(root);
  info.FreeSpace = static_cast<int64_t>(space.BytesAvailableToCaller / kMiB);
  info.TotalSpace = static_cast<int64_t>(space.TotalBytes / kMiB);
}

void GetFixedDrives(TDriveProbe& probe, TUU_NDDrivesInfo& drives) {
  drives.clear();
  TUU_NDDriveInfo info;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (probe.DriveType(root) != kDriveFixed) continue;
    FillDriveInfo(probe, "DRIVE_FIXED", "The disk cannot be removed from the drive.", root, info);
    drives.push_back(info);
  }
}

void GetFixedDrives(TUU_NDDrivesInfo& drives) { GetFixedDrives(PlatformDriveProbe(), drives); }

std::string DriveSizeText(int64_t mebibytes) { return std::to_string(mebibytes) + "MB"; }

}  // namespace lmr
