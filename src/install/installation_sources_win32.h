#pragma once
// Windows only: the installation stage's sources on the running machine.
#include "install/installation_stage.h"

namespace lmr {

class TMachineInstallationSources : public InstallationSources {
 public:
  std::string FileVersion(const std::string& path) override;
  std::optional<std::uint64_t> FreeBytes(const std::string& path) override;
  TRegistry& Registry() override;
};

}  // namespace lmr
