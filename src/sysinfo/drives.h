#pragma once
// The fixed drives with their total and free space.
#include <cstdint>
#include <string>
#include <vector>

namespace lmr {

struct TUU_NDDriveInfo {
  std::string Name;               // root path: letter, colon, backslash
  std::string DriveTypeInfo;
  std::string DriveTypeWinConst;
  std::string InfoEx;             // empty, or "Cannot get disk info"
  int64_t FreeSpace = 0;          // MiB available to the current user, rounded down
  int64_t TotalSpace = 0;         // MiB, rounded down
};

using TUU_NDDrivesInfo = std::vector<TUU_NDDriveInfo>;

constexpr unsigned kDriveFixed = 3;  // DRIVE_FIXED

struct TDiskSpace {
  uint64_t BytesAvailableToCaller = 0;
  uint64_t TotalBytes = 0;
};

// The platform's drive queries; the platform's is PlatformDriveProbe().
class TDriveProbe {
 public:
  virtual ~TDriveProbe() = default;
  // GetDriveTypeA for a root path.
  virtual unsigned DriveType(const std::string& root) = 0;
  // Whether GetDiskFreeSpaceA succeeds for the root path.
  virtual bool CanQueryDisk(const std::string& root) = 0;
  // GetDiskFreeSpaceExA's figures; zeros where the query fails.
  virtual TDiskSpace DiskSpace(const std::string& root) = 0;
};

TDriveProbe& PlatformDriveProbe();

// Resets info and fills it for the root path, sizes included.
void FillDriveInfo(TDriveProbe& probe, const std::string& typeConstName, const std::string& typeDescription,
                   const std::string& root, TUU_NDDriveInfo& info);

// Empties drives, then appends one entry per fixed drive from A:\ to Z:\.
void GetFixedDrives(TDriveProbe& probe, TUU_NDDrivesInfo& drives);
void GetFixedDrives(TUU_NDDrivesInfo& drives);

// A whole number of MiB as written in the report: 38146MB.
std::string DriveSizeText(int64_t mebibytes);

}  // namespace lmr
