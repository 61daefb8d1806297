#include <windows.h>

#include "sysinfo/drives.h"

namespace lmr {

namespace {

using GetDiskFreeSpaceExAFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

GetDiskFreeSpaceExAFn FindGetDiskFreeSpaceExA() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<GetDiskFreeSpaceExAFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
}

class TWin32DriveProbe : public TDriveProbe {
 public:
  unsigned DriveType(const std::string& root) override { return GetDriveTypeA(root.c_str()); }

  bool CanQueryDisk(const std::string& root) override {
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    return GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) !=
           FALSE;
  }

  TDiskSpace DiskSpace(const std::string& root) override {
    TDiskSpace space;
    if (GetDiskFreeSpaceExAFn spaceEx = FindGetDiskFreeSpaceExA()) {
      ULARGE_INTEGER available = {}, total = {};
      if (spaceEx(root.c_str(), &available, &total, nullptr)) {
        space.BytesAvailableToCaller = available.QuadPart;
        space.TotalBytes = total.QuadPart;
      }
      return space;
    }
    // Without the Ex call the cluster counts are all there is.
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
      const uint64_t cluster = uint64_t{sectorsPerCluster} * bytesPerSector;
      space.BytesAvailableToCaller = cluster * freeClusters;
      space.TotalBytes = cluster * totalClusters;
    }
    return space;
  }
};

}  // namespace

TDriveProbe& PlatformDriveProbe() {
  static TWin32DriveProbe probe;
  return probe;
}

}  // namespace lmr
