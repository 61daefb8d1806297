#include <windows.h>

#include "common/wide_win32.h"
#include "install/installation_stage.h"

namespace lmr {

std::optional<std::uint64_t> VolumeFreeBytes(const std::string& path) {
  ULARGE_INTEGER freeToCaller{};
  if (!GetDiskFreeSpaceExW(Wide(path).c_str(), &freeToCaller, nullptr, nullptr)) return std::nullopt;
  return freeToCaller.QuadPart;
}

}  // namespace lmr
