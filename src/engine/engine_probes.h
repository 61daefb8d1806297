#pragma once
// Probes of the SQL Server 2000 engine (MSDE) installed on the machine: its
// registry entries and the state of its service. They keep no state; each
// call opens and closes its own keys. A source that cannot be reached (an
// absent key, value, library or export) gives false; a registry value of the
// wrong type raises std::runtime_error naming the key and the value.
// Texts are windows-1251.
#include <cstdint>
#include <string>

#include "engine/library_loader.h"
#include "engine/registry.h"

namespace lmr {

extern const char kEngineKey[];            // SOFTWARE\Microsoft\MSSQLServer\MSSQLServer
extern const char kEngineServiceKey[];     // SYSTEM\CurrentControlSet\Services\MSSQLSERVER
extern const char kEngineClientSetupKey[]; // SOFTWARE\Microsoft\Microsoft SQL Server\80\Tools\ClientSetup

// Platform identifiers of the Windows version query.
constexpr std::uint32_t kPlatformWin32Windows = 1;
constexpr std::uint32_t kPlatformWin32NT = 2;

bool EngineInstalled(TRegistry& registry);

// True only for the automatic start type (2); manual (3) and disabled (4) are false.
bool EngineAutoStart(TRegistry& registry);

// The path of the service-control library: "SQLPath" + "Binn\w95scm.dll";
// the bare name when the key has no "SQLPath"; empty when the key is absent.
std::string EngineLibraryPath(TRegistry& registry);

// The service's state code from the library's "SQLSCMGetLocalServiceStateA";
// `code` is untouched when the function could not be called.
bool EngineServiceState(TRegistry& registry, TLibraryLoader& loader, std::int32_t& code);

// The text of a state code: "Stop", "Continue", "Start", "Pause" or "Unknown".
std::string ServiceStateText(std::int32_t code);
bool EngineStateText(TRegistry& registry, TLibraryLoader& loader, std::string& text);

bool EngineLoginMode(TRegistry& registry, std::int32_t& mode);
std::string DefaultLoginModeText(std::uint32_t platformId);
// The text of the stored mode; -1 means the platform's default.
std::string LoginModeText(std::int32_t mode, std::uint32_t platformId);
bool LoginModeText(TRegistry& registry, std::uint32_t platformId, std::string& text);

bool EngineCollationName(TRegistry& registry, std::string& name);

// The platform identifier of the machine the program runs on.
std::uint32_t MachinePlatformId();

}  // namespace lmr
