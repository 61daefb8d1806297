#pragma once
// The installation page's stage: the "LumaroOptions" section of the report
// and the values the database and network stages take from it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "shell/step_protocol.h"

namespace lmr {

// Registration of the product's media control under HKEY_LOCAL_MACHINE.
inline constexpr char kMediaControlKey[] =
    "SOFTWARE\\Classes\\CLSID\\{7BB5910B-3E29-4C24-A36C-265AC78590A4}\\InprocServer32";

// What the stage hands to the later stages; texts are windows-1251.
struct InstallationResult {
  bool ServerConfigFound = false;
  std::string ServerFolder;
  std::string ClientFolder;
  std::string DbServer1, DbServer5, DbServer4;
  std::string DbName1, DbName2, DbName3, DbName4, DbName5, DbName6;
  std::string SchoolContentPath;
  std::string TavContentPath;
  std::string ConfigFilePath;
};

// What the stage asks of the machine beyond plain files.
class InstallationSources {
 public:
  virtual ~InstallationSources() = default;
  // The file's "FileVersion" text, or "FV not stored.".
  virtual std::string FileVersion(const std::string& path) = 0;
  // Bytes free to the calling user on the volume holding the path; none when
  // the query fails.
  virtual std::optional<std::uint64_t> FreeBytes(const std::string& path) = 0;
  // HKEY_LOCAL_MACHINE, for the media control's registration.
  virtual TRegistry& Registry() = 0;
};

// The free space of the volume holding the path, by the platform's call.
std::optional<std::uint64_t> VolumeFreeBytes(const std::string& path);

// Bytes as whole mebibytes, ties to even, followed by "MB".
std::string FreeSpaceText(std::uint64_t bytes);

// Each entry followed by " Version: " and the version text of the file of
// that name inside the folder.
void AppendFileVersions(std::vector<std::string>& list, const std::string& folder, InstallationSources& sources);

// One database entry of the configuration file; both texts are cleared
// first, so a missing file leaves them empty and missing keys leave the
// sentinel. True when neither text equals the sentinel exactly.
bool ReadDatabaseEntry(const std::string& file, const std::string& section, const std::string& nameKey,
                       const std::string& sentinel, std::string& name, std::string& server);

// "LocateFiles" / "LocateFiles2" of section "Server" of the folder's
// "DbEngine.ini"; empty when the folder or the file is missing.
std::string ReadTavContentPath(const std::string& folder);
std::string ReadSchoolContentPath(const std::string& folder);

// The key opens for reading, its default value is a non-empty string and a
// file exists at that path. Raises when the default value is not a string.
bool MediaComponentRegistered(TRegistry& registry);

// Writes "LumaroOptions" and fills `result` as it goes. An error leaves the
// stage with every opened element closed and without the closing wait.
void RunInstallationStage(StageHost& host, const std::string& serverFolder, const std::string& clientFolder,
                          InstallationSources& sources, InstallationResult& result);

}  // namespace lmr
