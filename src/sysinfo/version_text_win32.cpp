#include <windows.h>

#include <cstring>

#include "sysinfo/version_text.h"

namespace lmr {

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "the extended version record is 156 bytes");

TOSVersionFigures QueryOSVersionFigures() {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    // Systems older than NT 4.0 SP6 refuse the extended record; the plain one
    // still gives the version and service pack, with suite and product type 0.
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
  }
  TOSVersionFigures figures;
  figures.dwMajorVersion = info.dwMajorVersion;
  figures.dwMinorVersion = info.dwMinorVersion;
  figures.dwPlatformId = info.dwPlatformId;
  figures.szCSDVersion.assign(info.szCSDVersion, sizeof info.szCSDVersion);
  figures.wSuiteMask = info.wSuiteMask;
  figures.wProductType = info.wProductType;
  return figures;
}

}  // namespace lmr
