// The installation stage on the machine under Windows: real version
// resources, folders with Cyrillic names, the system's free-space query and
// the machine's registry, with and without the media control registered.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/list_files.h"
#include "common/text1251.h"
#include "common/wide_win32.h"
#include "install/installation_sources_win32.h"
#include "test_support.h"

namespace lmr {
namespace {

namespace fs = std::filesystem;

std::string Path1251(const fs::path& p) { return Utf8To1251(fs::absolute(p).u8string()); }

void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The writer writes a backslash as a character reference.
std::string Escaped(const std::string& value) {
  std::string s;
  for (char ch : value) s += ch == '\\' ? std::string("&#0092;") : std::string(1, ch);
  return s;
}

std::string Value(const std::string& name, const std::string& value) {
  return "<" + name + ">" + Escaped(value) + "</" + name + ">\r\n";
}

std::string Files(const std::string& node, const std::string& folder, const std::map<std::string, std::string>& versions) {
  std::string s = "<" + node + ">";
  const std::vector<std::string> names = ListFiles(folder);
  for (std::size_t n = 0; n < names.size(); ++n)
    s += Value("File" + std::to_string(n), names[n] + " Version: " + versions.at(names[n]));
  return s + "</" + node + ">";
}

class MachineSources : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::absolute(fs::path("install_stage_scratch"));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// The media control's registration in the prefix's machine registry for the
// life of one case; only the keys it created are removed again.
class MediaRegistration {
 public:
  enum Kind { None, DefaultValue, OtherValueOnly };
  MediaRegistration(Kind kind, const std::wstring& value) {
    if (kind == None) return;
    const std::string key = kMediaControlKey;
    classKey_ = Wide(key.substr(0, key.rfind('\\')));
    serverKey_ = Wide(key);
    HKEY h = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, classKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        &disposition) != ERROR_SUCCESS)
      throw std::runtime_error("cannot register the media control");
    RegCloseKey(h);
    createdClass_ = disposition == REG_CREATED_NEW_KEY;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, serverKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        &disposition) != ERROR_SUCCESS)
      throw std::runtime_error("cannot register the media control");
    createdServer_ = disposition == REG_CREATED_NEW_KEY;
    if (!createdServer_) {
      RegCloseKey(h);
      throw std::runtime_error("the machine registers the media control already");
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(value.c_str());
    const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LONG set = RegSetValueExW(h, kind == DefaultValue ? nullptr : L"Path", 0, REG_SZ, bytes, size);
    RegCloseKey(h);
    if (set != ERROR_SUCCESS) throw std::runtime_error("cannot write the media control's path");
  }
  ~MediaRegistration() {
    if (createdServer_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, serverKey_.c_str());
    if (createdClass_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, classKey_.c_str());
  }
  MediaRegistration(const MediaRegistration&) = delete;
  MediaRegistration& operator=(const MediaRegistration&) = delete;

 private:
  std::wstring classKey_, serverKey_;
  bool createdClass_ = false, createdServer_ = false;
};

// The whole section from real files and the prefix's registry, by how the
// media control is registered and whether another program holds the
// configuration file without sharing it.
TEST_F(MachineSources, StageWritesTheSectionFromRealFiles) {
  struct Case {
    const char* what;
    MediaRegistration::Kind registration;
    const char* registeredFile;  // inside the client folder
    bool configLocked;
    const char* media;
  };
  const Case cases[] = {
      {"media control not registered", MediaRegistration::None, "", false, "Not Install"},
      {"registered, file present", MediaRegistration::DefaultValue, "Lumaro.ocx", false, "Install"},
      {"registered, file missing", MediaRegistration::DefaultValue, "absent.ocx", false, "Not Install"},
      {"registered with an empty path", MediaRegistration::DefaultValue, nullptr, false, "Not Install"},
      {"path under another value name", MediaRegistration::OtherValueOnly, "Lumaro.ocx", false, "Not Install"},
      {"configuration file held without sharing", MediaRegistration::None, "", true, "Not Install"},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A folder per case: the system keeps profiles it has read.
    const fs::path root = dir_ / std::to_string(++row);
    const fs::path server = root / fs::u8path(u8"Сервер");
    const fs::path client = root / fs::u8path(u8"Клиент");
    fs::create_directories(server);
    fs::create_directories(client);
    fs::copy_file(fs::path("pe") / "versioned_ru.dll", server / "DbEngine.exe");
    fs::copy_file(fs::path("pe") / "versioned_en.dll", client / "Lumaro.ocx");
    WriteBytes(client / "readme.txt", "Version 7.7.7.7\r\n");
    const std::vector<std::string> ini = {"[Server]", "LocateFiles=" + Path1251(root),
                                          "LocateFiles2=" + Path1251(root / "missing"), "[Tav]", "DBName=Tav",
                                          "ServerName=SRV"};
    std::string iniText;
    for (const std::string& l : ini) iniText += l + "\r\n";
    WriteBytes(server / "DbEngine.ini", iniText);

    const std::wstring registered =
        c.registeredFile ? (client / fs::u8path(c.registeredFile)).wstring() : std::wstring();
    MediaRegistration registration(c.registration, registered);
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (c.configLocked) {
      holder = CreateFileW((server / "DbEngine.ini").wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    }

    const std::string serverText = Path1251(server) + "\\";
    const std::string clientText = Path1251(client);
    const std::map<std::string, std::string> versions = {{"DbEngine.exe", "1.2.0.15"},
                                                         {"DbEngine.ini", "FV not stored."},
                                                         {"Lumaro.ocx", "2.0.1.5"},
                                                         {"readme.txt", "FV not stored."}};
    std::vector<std::uint32_t> waits;
    InstallationResult result;
    {
      TTavXMLLogProvider writer("W.xml");
      NoProgressList steps;
      StageHost host{writer, steps, [&](std::uint32_t ms) { waits.push_back(ms); }};
      TMachineInstallationSources sources;
      RunInstallationStage(host, serverText, clientText, sources, result);
    }
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);

    // A file that cannot be read: no lines, no content paths, sentinels in every slot.
    std::string lines;
    if (!c.configLocked) {
      for (std::size_t n = 0; n < ini.size(); ++n) lines += Value("Line" + std::to_string(n), ini[n]);
    }
    const std::string tav = c.configLocked ? "" : Path1251(root);
    const std::string school = c.configLocked ? "" : Path1251(root / "missing");
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<W.xml>\n\r<LumaroOptions><Server>" +
        Files("ServerFiles", serverText, versions) + Value("TavContentPath", tav) +
        Value("SchoolContentPath", school) + Value("SCPDiskFreeSpace", "0MB") + "<INI>" + lines +
        "</INI></Server><Client>" + Files("ClientFiles", clientText, versions) + Value("axTavMedia", c.media) +
        "</Client></LumaroOptions></W.xml>";
    EXPECT_EQ(test::ReadAll("W.xml"), expected);
    EXPECT_EQ(waits, std::vector<std::uint32_t>{1000});
    EXPECT_TRUE(result.ServerConfigFound);
    EXPECT_EQ(result.DbName1 + "|" + result.DbServer1, c.configLocked ? "error|error" : "Tav|SRV");
    EXPECT_EQ(result.DbName4 + "|" + result.DbServer4, "error|error");
    EXPECT_EQ(result.DbName5 + "|" + result.DbServer5, "Error|Error");
    EXPECT_EQ(result.ConfigFilePath, serverText + "DbEngine.ini");
  }
  // Nothing of the registration stays behind.
  EXPECT_FALSE(MediaComponentRegistered(MachineRegistry()));
}

TEST_F(MachineSources, FreeBytesIsTheCallersFigure) {
  const fs::path cyrillic = dir_ / fs::u8path(u8"Содержимое");
  fs::create_directories(cyrillic);
  TMachineInstallationSources sources;
  ULARGE_INTEGER direct{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(cyrillic.wstring().c_str(), &direct, nullptr, nullptr));
  const auto answered = sources.FreeBytes(Path1251(cyrillic));
  ASSERT_TRUE(answered.has_value());
  // Other programs may write meanwhile; the figure is the same volume's.
  const double slack = 64.0 * 1024 * 1024;
  EXPECT_NEAR(static_cast<double>(*answered), static_cast<double>(direct.QuadPart), slack);
  EXPECT_FALSE(sources.FreeBytes(Path1251(dir_ / "missing")).has_value());
  EXPECT_EQ(&sources.Registry(), &MachineRegistry());
}

}  // namespace
}  // namespace lmr
