// The installation stage over scratch folders in the working directory, a
// fake version lookup, a fake free-space query and an in-memory registry:
// the "LumaroOptions" section byte for byte and the values handed on.
#include "install/installation_stage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/list_files.h"
#include "report/xml_text.h"
#include "test_support.h"

namespace lmr {
namespace {

namespace fs = std::filesystem;

const char kRoot[] = "install_stage_fixture";
const char kServer[] = "install_stage_fixture/server";
const char kClient[] = "install_stage_fixture/client";
const char kMediaFile[] = "install_stage_fixture/client/axTavMedia.ocx";
const char kReport[] = "I.xml";
const std::string kHead = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<I.xml>\n\r";
const std::string kTail = "</I.xml>";

class FakeSources : public InstallationSources {
 public:
  std::string FileVersion(const std::string& path) override {
    asked.push_back(path);
    if (path == raiseOn) throw std::runtime_error("version lookup failed for " + path);
    auto found = versions.find(path);
    return found == versions.end() ? "FV not stored." : found->second;
  }
  std::optional<std::uint64_t> FreeBytes(const std::string& path) override {
    freeAsked.push_back(path);
    return freeBytes;
  }
  TRegistry& Registry() override { return registry; }

  std::map<std::string, std::string> versions;  // by the full path asked
  std::string raiseOn;
  std::optional<std::uint64_t> freeBytes;
  TMemoryRegistry registry;
  std::vector<std::string> asked;
  std::vector<std::string> freeAsked;
};

struct StageRun {
  std::string report;
  std::vector<std::uint32_t> waits;
  std::string error;
};

StageRun RunStage(const std::string& server, const std::string& client, FakeSources& sources,
                  InstallationResult& result) {
  StageRun r;
  {
    TTavXMLLogProvider writer(kReport);
    struct NoSteps : StepProtocol {
      void BeginStep(const std::string&) override { throw std::logic_error("the page has no progress list"); }
      void EndStep() override { throw std::logic_error("the page has no progress list"); }
    } steps;
    StageHost host{writer, steps, [&](std::uint32_t ms) { r.waits.push_back(ms); }};
    try {
      RunInstallationStage(host, server, client, sources, result);
    } catch (const std::exception& e) {
      r.error = e.what();
    }
  }
  r.report = test::ReadAll(kReport);
  return r;
}

void Fresh() {
  fs::remove_all(kRoot);
  fs::create_directories(kRoot);
}

void MakeFolder(const std::string& folder, const std::vector<std::string>& files) {
  fs::create_directories(folder);
  for (const std::string& f : files) test::WriteAll(folder + "/" + f, "contents of " + f);
}

// "File" + n elements in the order the folder lists its entries.
std::string Files(const std::string& node, const std::string& folder, const std::map<std::string, std::string>& versions) {
  std::string s = "<" + node + ">";
  const std::vector<std::string> names = ListFiles(folder);
  for (std::size_t n = 0; n < names.size(); ++n) {
    auto v = versions.find(folder + "\\" + names[n]);
    const std::string text = names[n] + " Version: " + (v == versions.end() ? "FV not stored." : v->second);
    s += "<File" + std::to_string(n) + ">" + text + "</File" + std::to_string(n) + ">\r\n";
  }
  return s + "</" + node + ">";
}

// The writer writes a backslash as a character reference.
std::string Value(const std::string& name, const std::string& value) {
  std::string escaped;
  for (char ch : value) escaped += ch == '\\' ? std::string("&#0092;") : std::string(1, ch);
  return "<" + name + ">" + escaped + "</" + name + ">\r\n";
}

std::string IniLines(const std::vector<std::string>& lines) {
  std::string s;
  for (std::size_t n = 0; n < lines.size(); ++n) s += Value("Line" + std::to_string(n), lines[n]);
  return s;
}

std::string Crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

const std::vector<std::string> kFullIni = {
    "[Server]",           "LocateFiles=D:\\Tavel\\Content", "LocateFiles2=E:\\School",
    "[Database1]",        "SQLAlias=LumaroTav",             "ServerName=SRV1",
    "[database4]",        "sqlalias=LumaroSearch",          "SERVERNAME=SRV4",
    "[Database5]",        "SQLAlias=LumaroSchool",          "ServerName=SRV5",
    "[Tav]",              "DBName=TavFallback",             "ServerName=TAVSRV"};

// First choices missing or failing: the fallbacks and the sentinels.
const std::vector<std::string> kFallbackIni = {
    "[Server]",    "LocateFiles=",         "[Database1]", "SQLAlias=LumaroTav",  // no ServerName
    "[Tav]",       "DBName=TavDb",         "ServerName=TAVSRV",
    "[Search]",    "DBName=error",         "ServerName=SRV4",  // the fallback's sentinel stays
    "[Database5]", "SQLAlias=error",       "ServerName=SRV5"};  // "error" is no sentinel of slot 5

// Sentinels compared with letter case; an empty value counts as found.
const std::vector<std::string> kSentinelIni = {
    "[Database1]", "SQLAlias=error", "ServerName=SRV1",  // the sentinel itself: fall back
    "[Tav]",       "DBName=",        "ServerName=",
    "[Database4]", "SQLAlias=Error", "ServerName=SRV4",  // "Error" is no sentinel of slot 4
    "[Database5]", "SQLAlias=x",     "ServerName=Error", "[School]", "ServerName=SCH"};

// A literal's bytes, zero bytes included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

struct Slots {
  std::string name1, server1, name4, server4, name5, server5;
};

TEST(RunInstallationStage, SectionAndValuesByInstallation) {
  struct Case {
    const char* what;
    bool server;                  // make the server folder
    const char* serverSuffix;     // how the folder is typed
    std::optional<std::vector<std::string>> ini;
    bool client;
    std::function<void(TMemoryRegistry&)> media;
    std::optional<std::uint64_t> freeBytes;
    std::string tavPath, schoolPath, freeText;
    Slots slots;
    bool found;
    std::string media_;  // "axTavMedia" text
  };
  const auto registered = [](TMemoryRegistry& r) { r.SetString(kMediaControlKey, "", kMediaFile); };
  const Case cases[] = {
      {"both folders, full configuration", true, "", kFullIni, true, registered, 5368709120ull,
       "D:\\Tavel\\Content", "E:\\School", "5120MB",
       {"LumaroTav", "SRV1", "LumaroSearch", "SRV4", "LumaroSchool", "SRV5"}, true, "Install"},
      {"server folder typed with its backslash", true, "\\", kFullIni, false, registered, 2621440,
       "D:\\Tavel\\Content", "E:\\School", "2MB",
       {"LumaroTav", "SRV1", "LumaroSearch", "SRV4", "LumaroSchool", "SRV5"}, true, ""},
      {"fallbacks", true, "", kFallbackIni, true, nullptr, 3670016, "", "", "4MB",
       {"TavDb", "TAVSRV", "error", "SRV4", "error", "SRV5"}, true, "Not Install"},
      {"sentinels by letter case", true, "", kSentinelIni, false, nullptr, std::nullopt, "", "", "0MB",
       {"", "", "Error", "SRV4", "Error", "SCH"}, true, ""},
      {"empty configuration file", true, "", std::vector<std::string>{}, false, nullptr, 0, "", "", "0MB",
       {"error", "error", "error", "error", "Error", "Error"}, true, ""},
      {"server folder without configuration", true, "", std::nullopt, false, nullptr, std::nullopt, "", "", "0MB",
       {}, false, ""},
      {"client only, empty registration", false, "", std::nullopt, true,
       [](TMemoryRegistry& r) { r.SetString(kMediaControlKey, "", ""); }, std::nullopt, "", "", "", {}, false,
       "Not Install"},
      {"client only, registration names a missing file", false, "", std::nullopt, true,
       [](TMemoryRegistry& r) { r.SetString(kMediaControlKey, "", "install_stage_fixture/none.ocx"); },
       std::nullopt, "", "", "", {}, false, "Not Install"},
      {"client only, key without a default value", false, "", std::nullopt, true,
       [](TMemoryRegistry& r) { r.SetString(kMediaControlKey, "Other", kMediaFile); }, std::nullopt, "", "", "",
       {}, false, "Not Install"},
      {"client only, key that refuses reading", false, "", std::nullopt, true,
       [](TMemoryRegistry& r) {
         r.AddKey(kMediaControlKey, 0);
         r.SetString(kMediaControlKey, "", kMediaFile);
       },
       std::nullopt, "", "", "", {}, false, "Not Install"},
      {"neither folder", false, "", std::nullopt, false, registered, 0, "", "", "", {}, false, ""},
  };
  for (const Case& c : cases) {
    Fresh();
    FakeSources sources;
    sources.freeBytes = c.freeBytes;
    if (c.media) c.media(sources.registry);
    if (c.server) {
      MakeFolder(kServer, {"DbEngine.exe", "readme.txt"});
      if (c.ini) test::WriteAll(std::string(kServer) + "/DbEngine.ini", Crlf(*c.ini));
      sources.versions[std::string(kServer) + "\\DbEngine.exe"] = "1.2.0.15";
    }
    if (c.client) {
      MakeFolder(kClient, {"axTavMedia.ocx", "Lumaro.exe"});
      sources.versions[std::string(kClient) + "\\Lumaro.exe"] = "2.0.1.5";
    }
    const std::string serverText = std::string(kServer) + c.serverSuffix;
    InstallationResult result;
    StageRun r = RunStage(serverText, kClient, sources, result);

    std::string server = "<Server>";
    if (c.server) {
      server += Files("ServerFiles", kServer, sources.versions) + Value("TavContentPath", c.tavPath) +
                Value("SchoolContentPath", c.schoolPath) + Value("SCPDiskFreeSpace", c.freeText) + "<INI>" +
                (c.ini ? IniLines(*c.ini) : "") + "</INI>";
    } else {
      server += Value("Information", "Server path not found");
    }
    server += "</Server>";
    std::string client = "<Client>";
    client += c.client ? Files("ClientFiles", kClient, sources.versions) + Value("axTavMedia", c.media_)
                       : Value("Information", "Client path not found");
    client += "</Client>";

    EXPECT_EQ(r.error, "") << c.what;
    EXPECT_EQ(r.report, kHead + "<LumaroOptions>" + server + client + "</LumaroOptions>" + kTail) << c.what;
    EXPECT_EQ(r.waits, std::vector<std::uint32_t>{1000}) << c.what;
    EXPECT_EQ(result.ServerFolder, serverText) << c.what;
    EXPECT_EQ(result.ClientFolder, kClient) << c.what;
    EXPECT_EQ(result.ServerConfigFound, c.found) << c.what;
    EXPECT_EQ(result.TavContentPath, c.tavPath) << c.what;
    EXPECT_EQ(result.SchoolContentPath, c.schoolPath) << c.what;
    EXPECT_EQ(result.ConfigFilePath, c.server ? std::string(kServer) + "\\DbEngine.ini" : "") << c.what;
    EXPECT_EQ(result.DbName1, c.slots.name1) << c.what;
    EXPECT_EQ(result.DbServer1, c.slots.server1) << c.what;
    EXPECT_EQ(result.DbName4, c.slots.name4) << c.what;
    EXPECT_EQ(result.DbServer4, c.slots.server4) << c.what;
    EXPECT_EQ(result.DbName5, c.slots.name5) << c.what;
    EXPECT_EQ(result.DbServer5, c.slots.server5) << c.what;
    EXPECT_EQ(result.DbName2 + result.DbName3 + result.DbName6, "") << c.what;
    // The free space asked is the school content folder's, once, and only with a server folder.
    EXPECT_EQ(sources.freeAsked, c.server ? std::vector<std::string>{c.schoolPath} : std::vector<std::string>{})
        << c.what;
    // Every listed file is looked up inside its folder, without a doubled separator.
    std::size_t listed = (c.server ? ListFiles(kServer).size() : 0) + (c.client ? 2 : 0);
    EXPECT_EQ(sources.asked.size(), listed) << c.what;
    for (const std::string& p : sources.asked) {
      EXPECT_EQ(p.find("\\\\"), std::string::npos) << c.what << ": " << p;
    }
  }
  fs::remove_all(kRoot);
}

// A source that raises leaves the stage with its error; every opened element
// is closed and the wait does not happen.
TEST(RunInstallationStage, RaisingSourceLeavesTheSectionClosed) {
  struct Case {
    const char* what;
    std::string raiseOn;
    std::function<void(TMemoryRegistry&)> media;
    std::string error;
    std::function<std::string(const FakeSources&)> written;  // the section's content
  };
  const Case cases[] = {
      {"server file version", std::string(kServer) + "\\DbEngine.exe", nullptr,
       "version lookup failed for install_stage_fixture/server\\DbEngine.exe",
       [](const FakeSources&) { return std::string("<Server><ServerFiles></ServerFiles></Server>"); }},
      {"client file version", std::string(kClient) + "\\Lumaro.exe", nullptr,
       "version lookup failed for install_stage_fixture/client\\Lumaro.exe",
       [](const FakeSources& s) {
         return "<Server>" + Files("ServerFiles", kServer, s.versions) + Value("TavContentPath", "D:\\Tavel\\Content") +
                Value("SchoolContentPath", "E:\\School") + Value("SCPDiskFreeSpace", "0MB") + "<INI>" +
                IniLines(kFullIni) + "</INI></Server><Client><ClientFiles></ClientFiles></Client>";
       }},
      {"media registration of another type", "", [](TMemoryRegistry& r) { r.SetInteger(kMediaControlKey, "", 1); },
       "Registry value \"\" of key \"HKEY_LOCAL_MACHINE\\" + std::string(kMediaControlKey) + "\" is not a string",
       [](const FakeSources& s) {
         return "<Server>" + Files("ServerFiles", kServer, s.versions) + Value("TavContentPath", "D:\\Tavel\\Content") +
                Value("SchoolContentPath", "E:\\School") + Value("SCPDiskFreeSpace", "0MB") + "<INI>" +
                IniLines(kFullIni) + "</INI></Server><Client>" + Files("ClientFiles", kClient, s.versions) +
                "</Client>";
       }},
  };
  for (const Case& c : cases) {
    Fresh();
    MakeFolder(kServer, {"DbEngine.exe"});
    test::WriteAll(std::string(kServer) + "/DbEngine.ini", Crlf(kFullIni));
    MakeFolder(kClient, {"Lumaro.exe"});
    FakeSources sources;
    sources.raiseOn = c.raiseOn;
    if (c.media) c.media(sources.registry);
    InstallationResult result;
    StageRun r = RunStage(kServer, kClient, sources, result);
    EXPECT_EQ(r.error, c.error) << c.what;
    EXPECT_EQ(r.report, kHead + "<LumaroOptions>" + c.written(sources) + "</LumaroOptions>" + kTail) << c.what;
    EXPECT_TRUE(r.waits.empty()) << c.what;
  }
  fs::remove_all(kRoot);
}

// Configuration files that are no proper text: the lines as read up to the
// first zero byte, the slots as the profile rules give them, whatever the size.
TEST(RunInstallationStage, ConfigurationFileOfAnyBytes) {
  const std::string longLine = ";" + std::string(70000, 'x');
  std::string huge = "[Database1]\r\nSQLAlias=Big\r\n";
  std::vector<std::string> hugeLines = {"[Database1]", "SQLAlias=Big"};
  while (huge.size() < 100u * 1024 * 1024) {
    huge += longLine + "\r\n";
    hugeLines.push_back(longLine);
  }
  const std::vector<std::string> hugeTail = {"ServerName=SRV1", "[Database5]", "SQLAlias=School", "ServerName=SRV5"};
  huge += Crlf(hugeTail);
  hugeLines.insert(hugeLines.end(), hugeTail.begin(), hugeTail.end());

  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;  // the "Line" texts before escaping
    Slots slots;
  };
  const Case cases[] = {
      {"binary bytes", Bytes("\x01\xFF\xFE<&>\x98\x1F\r\x80\n\n\r[\xC0]=\x7F"),
       {Bytes("\x01\xFF\xFE<&>\x98\x1F"), "\x80", "", "", "[\xC0]=\x7F"},
       {"error", "error", "error", "error", "Error", "Error"}},
      {"zero bytes end the lines, not the profile",
       Bytes("[Database1]\r\nSQLAlias=A\0hidden\r\nServerName=S1\r\n"),
       {"[Database1]", "SQLAlias=A"},
       {"A", "S1", "error", "error", "Error", "Error"}},
      {"duplicate sections and keys: the first wins",
       "[Database5]\nSQLAlias=one\nsqlalias=two\nServerName=S5\n[DATABASE5]\nServerName=later\n",
       {"[Database5]", "SQLAlias=one", "sqlalias=two", "ServerName=S5", "[DATABASE5]", "ServerName=later"},
       {"error", "error", "error", "error", "one", "S5"}},
      {"100 MB in lines over 64 KiB", huge, hugeLines, {"Big", "SRV1", "error", "error", "School", "SRV5"}},
  };
  for (const Case& c : cases) {
    Fresh();
    MakeFolder(kServer, {});
    test::WriteAll(std::string(kServer) + "/DbEngine.ini", c.bytes);
    FakeSources sources;
    InstallationResult result;
    const StageRun r = RunStage(kServer, "", sources, result);

    std::string expected = kHead + "<LumaroOptions><Server><ServerFiles>" +
                           Value("File0", "DbEngine.ini Version: FV not stored.") + "</ServerFiles>" +
                           Value("TavContentPath", "") + Value("SchoolContentPath", "") +
                           Value("SCPDiskFreeSpace", "0MB") + "<INI>";
    for (std::size_t n = 0; n < c.lines.size(); ++n) expected += XMLElement(c.lines[n], "Line" + std::to_string(n), true);
    expected += "</INI></Server><Client>" + Value("Information", "Client path not found") + "</Client></LumaroOptions>" +
                kTail;
    EXPECT_EQ(r.error, "") << c.what;
    EXPECT_TRUE(r.report == expected) << c.what << ": the report differs";
    EXPECT_TRUE(result.ServerConfigFound) << c.what;
    EXPECT_EQ(result.DbName1 + "|" + result.DbServer1, c.slots.name1 + "|" + c.slots.server1) << c.what;
    EXPECT_EQ(result.DbName4 + "|" + result.DbServer4, c.slots.name4 + "|" + c.slots.server4) << c.what;
    EXPECT_EQ(result.DbName5 + "|" + result.DbServer5, c.slots.name5 + "|" + c.slots.server5) << c.what;
  }
  fs::remove_all(kRoot);
}

// Ten thousand entries: every one listed once, in the folder's order, each
// looked up inside the folder.
TEST(RunInstallationStage, FolderOfTenThousandFiles) {
  Fresh();
  fs::create_directories(kClient);
  for (int i = 0; i < 10000; ++i) test::WriteAll(std::string(kClient) + "/f" + std::to_string(i) + ".dll", "");
  FakeSources sources;
  for (int i = 0; i < 10000; i += 2)
    sources.versions[std::string(kClient) + "\\f" + std::to_string(i) + ".dll"] = "1." + std::to_string(i);
  InstallationResult result;
  const StageRun r = RunStage("", kClient, sources, result);
  const std::string expected = kHead + "<LumaroOptions><Server>" + Value("Information", "Server path not found") +
                               "</Server><Client>" + Files("ClientFiles", kClient, sources.versions) +
                               Value("axTavMedia", "Not Install") + "</Client></LumaroOptions>" + kTail;
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(r.report == expected) << "the report differs";
  EXPECT_EQ(ListFiles(kClient).size(), 10000u);
  EXPECT_EQ(sources.asked.size(), 10000u);
  fs::remove_all(kRoot);
}

TEST(FreeSpaceText, WholeMebibytesTiesToEven) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0MB"},          {524288, "0MB"},       {524289, "1MB"},      {1572864, "2MB"},
      {2621440, "2MB"},    {3670016, "4MB"},      {5368709120ull, "5120MB"},
      {1048575, "1MB"},    {(1ull << 50), "1073741824MB"}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FreeSpaceText(bytes), text) << bytes;
}

TEST(VolumeFreeBytes, AnswersForAFolderAndFailsForNone) {
  EXPECT_TRUE(VolumeFreeBytes(".").has_value());
  EXPECT_FALSE(VolumeFreeBytes("").has_value());
  EXPECT_FALSE(VolumeFreeBytes("no_such_folder_here\\inside").has_value());
}

// Without the file the entry reader clears both texts and answers false.
TEST(ReadDatabaseEntry, MissingFileClearsTheSlot) {
  std::string name = "old", server = "old";
  EXPECT_FALSE(ReadDatabaseEntry("no_such_folder_here\\DbEngine.ini", "Database1", "SQLAlias", "error", name, server));
  EXPECT_EQ(name, "");
  EXPECT_EQ(server, "");
}

}  // namespace
}  // namespace lmr
