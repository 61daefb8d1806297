#include "install/installation_sources_win32.h"

#include "install/file_version_win32.h"

namespace lmr {

std::string TMachineInstallationSources::FileVersion(const std::string& path) { return FileVersionText(path); }

std::optional<std::uint64_t> TMachineInstallationSources::FreeBytes(const std::string& path) {
  return VolumeFreeBytes(path);
}

TRegistry& TMachineInstallationSources::Registry() { return MachineRegistry(); }

}  // namespace lmr
