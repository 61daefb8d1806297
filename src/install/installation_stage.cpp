#include "install/installation_stage.h"

#include <cfenv>
#include <cmath>

#include "common/file_system.h"
#include "common/list_files.h"
#include "common/load_lines.h"
#include "install/profile_reader.h"

namespace lmr {

namespace {

std::string WithBackslash(const std::string& folder) {
  return !folder.empty() && folder.back() == '\\' ? folder : folder + "\\";
}

std::string ConfigFileIn(const std::string& folder) { return WithBackslash(folder) + "DbEngine.ini"; }

std::string ReadServerEntry(const std::string& folder, const std::string& key) {
  const std::string file = ConfigFileIn(folder);
  if (!DirectoryExists(folder) || !FileExists(file)) return "";
  return ReadProfileString(file, "Server", key, "");
}

struct SlotRow {
  const char* section;
  const char* nameKey;
  const char* sentinel;
};

// The fallback's own answer is ignored: it leaves what it read, sentinels included.
void FillSlot(const std::string& file, const SlotRow& first, const SlotRow& fallback, std::string& name,
              std::string& server) {
  if (!ReadDatabaseEntry(file, first.section, first.nameKey, first.sentinel, name, server))
    ReadDatabaseEntry(file, fallback.section, fallback.nameKey, fallback.sentinel, name, server);
}

void WriteFiles(TTavXMLLogProvider& w, const std::string& node, const std::string& folder,
                InstallationSources& sources) {
  GuardedNode files(w, node);
  std::vector<std::string> list = ListFiles(folder);
  AppendFileVersions(list, folder, sources);
  for (std::size_t n = 0; n < list.size(); ++n) w.WriteValue("File" + std::to_string(n), list[n]);
}

void RunServerPart(TTavXMLLogProvider& w, InstallationSources& sources, InstallationResult& r) {
  GuardedNode server(w, "Server");
  if (!DirectoryExists(r.ServerFolder)) {
    w.WriteValue("Information", "Server path not found");
    return;
  }
  WriteFiles(w, "ServerFiles", r.ServerFolder, sources);
  r.TavContentPath = ReadTavContentPath(r.ServerFolder);
  w.WriteValue("TavContentPath", r.TavContentPath);
  r.SchoolContentPath = ReadSchoolContentPath(r.ServerFolder);
  w.WriteValue("SchoolContentPath", r.SchoolContentPath);
  w.WriteValue("SCPDiskFreeSpace", FreeSpaceText(sources.FreeBytes(r.SchoolContentPath).value_or(0)));
  r.ConfigFilePath = ConfigFileIn(r.ServerFolder);
  GuardedNode ini(w, "INI");
  if (!FileExists(r.ConfigFilePath)) return;
  if (const auto lines = LoadLines(r.ConfigFilePath)) {
    for (std::size_t n = 0; n < lines->size(); ++n) w.WriteValue("Line" + std::to_string(n), (*lines)[n]);
  }
  FillSlot(r.ConfigFilePath, {"Database1", "SQLAlias", "error"}, {"Tav", "DBName", "error"}, r.DbName1,
           r.DbServer1);
  FillSlot(r.ConfigFilePath, {"Database4", "SQLAlias", "error"}, {"Search", "DBName", "error"}, r.DbName4,
           r.DbServer4);
  FillSlot(r.ConfigFilePath, {"Database5", "SQLAlias", "Error"}, {"School", "DBName", "Error"}, r.DbName5,
           r.DbServer5);
  r.ServerConfigFound = true;
}

void RunClientPart(TTavXMLLogProvider& w, InstallationSources& sources, const InstallationResult& r) {
  GuardedNode client(w, "Client");
  if (!DirectoryExists(r.ClientFolder)) {
    w.WriteValue("Information", "Client path not found");
    return;
  }
  WriteFiles(w, "ClientFiles", r.ClientFolder, sources);
  w.WriteValue("axTavMedia", MediaComponentRegistered(sources.Registry()) ? "Install" : "Not Install");
}

}  // namespace

std::string FreeSpaceText(std::uint64_t bytes) {
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double mib = std::nearbyint(static_cast<double>(bytes) / 1024.0 / 1024.0);
  std::fesetround(mode);
  return std::to_string(static_cast<std::uint64_t>(mib)) + "MB";
}

void AppendFileVersions(std::vector<std::string>& list, const std::string& folder, InstallationSources& sources) {
  const std::string prefix = WithBackslash(folder);
  for (std::string& entry : list) entry += " Version: " + sources.FileVersion(prefix + entry);
}

bool ReadDatabaseEntry(const std::string& file, const std::string& section, const std::string& nameKey,
                       const std::string& sentinel, std::string& name, std::string& server) {
  name.clear();
  server.clear();
  if (!FileExists(file)) return false;
  name = ReadProfileString(file, section, nameKey, sentinel);
  server = ReadProfileString(file, section, "ServerName", sentinel);
  return name != sentinel && server != sentinel;
}

std::string ReadTavContentPath(const std::string& folder) { return ReadServerEntry(folder, "LocateFiles"); }

std::string ReadSchoolContentPath(const std::string& folder) { return ReadServerEntry(folder, "LocateFiles2"); }

bool MediaComponentRegistered(TRegistry& registry) {
  TRegistryReader key(registry, kMediaControlKey);
  if (!key.IsOpen() || !key.HasValue("")) return false;
  const std::string path = key.ReadString("");
  return !path.empty() && FileExists(path);
}

void RunInstallationStage(StageHost& host, const std::string& serverFolder, const std::string& clientFolder,
                          InstallationSources& sources, InstallationResult& result) {
  TTavXMLLogProvider& w = host.ReportWriter;
  {
    GuardedNode section(w, "LumaroOptions");
    result.ServerFolder = serverFolder;
    result.ClientFolder = clientFolder;
    RunServerPart(w, sources, result);
    RunClientPart(w, sources, result);
  }
  host.Wait(1000);
}

}  // namespace lmr
