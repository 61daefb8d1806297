#include "engine/engine_probes.h"

#include "common/text1251.h"
#include "sysinfo/version_text.h"

namespace lmr {

const char kEngineKey[] = "SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer";
const char kEngineServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\MSSQLSERVER";
const char kEngineClientSetupKey[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\80\\Tools\\ClientSetup";

namespace {

constexpr std::int32_t kServiceAutoStart = 2;
const char kLibraryName[] = "w95scm.dll";
const char kStateExport[] = "SQLSCMGetLocalServiceStateA";
const char kServiceName[] = "MSSQLServer";

}  // namespace

bool EngineInstalled(TRegistry& registry) { return TRegistryReader(registry, kEngineKey).IsOpen(); }

bool EngineAutoStart(TRegistry& registry) {
  TRegistryReader key(registry, kEngineServiceKey);
  return key.HasValue("Start") && key.ReadInteger("Start") == kServiceAutoStart;
}

std::string EngineLibraryPath(TRegistry& registry) {
  TRegistryReader key(registry, kEngineClientSetupKey);
  if (!key.IsOpen()) return "";
  if (!key.HasValue("SQLPath")) return kLibraryName;
  std::string path = key.ReadString("SQLPath");
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + "Binn\\" + kLibraryName;
}

bool EngineServiceState(TRegistry& registry, TLibraryLoader& loader, std::int32_t& code) {
  const std::string path = EngineLibraryPath(registry);
  if (path.empty()) return false;
  // The file checked is the file loaded: a bare name is made absolute in the
  // current folder rather than left to the library search order, which could
  // pick up a planted copy elsewhere.
  const std::string fullPath = loader.FullPath(path);
  if (!loader.FileExists(fullPath)) return false;
  std::unique_ptr<TLoadedLibrary> library = loader.Load(fullPath);
  if (!library) return false;
  TServiceStateFunction state = library->ServiceStateExport(kStateExport);
  if (!state) return false;
  code = state(kServiceName, nullptr);
  return true;
}

std::string ServiceStateText(std::int32_t code) {
  switch (code) {
    case 1: return "Stop";
    case 2: return "Continue";
    case 4: return "Start";
    case 7: return "Pause";
    default: return "Unknown";
  }
}

bool EngineStateText(TRegistry& registry, TLibraryLoader& loader, std::string& text) {
  text.clear();
  std::int32_t code = 0;
  if (!EngineServiceState(registry, loader, code)) return false;
  text = ServiceStateText(code);
  return true;
}

bool EngineLoginMode(TRegistry& registry, std::int32_t& mode) {
  TRegistryReader key(registry, kEngineKey);
  if (!key.HasValue("LoginMode")) return false;
  mode = key.ReadInteger("LoginMode");
  return true;
}

std::string DefaultLoginModeText(std::uint32_t platformId) {
  switch (platformId) {
    case kPlatformWin32Windows: return "The Microsoft Windows 9x default is Mixed Mode, with no sa password";
    case kPlatformWin32NT: return Utf8To1251("The Microsoft Windows NT® default is Windows Authentication Mode");
    default: return "Unknown";
  }
}

std::string LoginModeText(std::int32_t mode, std::uint32_t platformId) {
  switch (mode) {
    case -1: return DefaultLoginModeText(platformId);
    case 0:
    case 2: return "Mixed Mode";
    case 1: return "Windows Authentication Mode";
    default: return "Unknown";
  }
}

bool LoginModeText(TRegistry& registry, std::uint32_t platformId, std::string& text) {
  text.clear();
  std::int32_t mode = 0;
  if (!EngineLoginMode(registry, mode)) return false;
  text = LoginModeText(mode, platformId);
  return true;
}

bool EngineCollationName(TRegistry& registry, std::string& name) {
  name.clear();
  TRegistryReader key(registry, kEngineKey);
  if (!key.HasValue("DefaultCollationName")) return false;
  name = key.ReadString("DefaultCollationName");
  return true;
}

std::uint32_t MachinePlatformId() { return QueryOSVersionFigures().dwPlatformId; }

}  // namespace lmr
