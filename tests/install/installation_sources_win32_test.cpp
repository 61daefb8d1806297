// The installation stage on the machine under Windows: real version
// resources, a folder with a Cyrillic name, the system's free-space query and
// the machine's registry, which has no media control registered.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
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

TEST_F(MachineSources, StageWritesTheSectionFromRealFiles) {
  const fs::path server = dir_ / fs::u8path(u8"Сервер");
  const fs::path client = dir_ / fs::u8path(u8"Клиент");
  fs::create_directories(server);
  fs::create_directories(client);
  fs::copy_file(fs::path("pe") / "versioned_ru.dll", server / "DbEngine.exe");
  fs::copy_file(fs::path("pe") / "versioned_en.dll", client / "Lumaro.ocx");
  WriteBytes(client / "readme.txt", "Version 7.7.7.7\r\n");
  const std::vector<std::string> ini = {"[Server]", "LocateFiles=" + Path1251(dir_),
                                        "LocateFiles2=" + Path1251(dir_ / "missing"), "[Tav]", "DBName=Tav",
                                        "ServerName=SRV"};
  std::string iniText;
  for (const std::string& l : ini) iniText += l + "\r\n";
  WriteBytes(server / "DbEngine.ini", iniText);

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
    struct NoSteps : StepProtocol {
      void BeginStep(const std::string&) override {}
      void EndStep() override {}
    } steps;
    StageHost host{writer, steps, [&](std::uint32_t ms) { waits.push_back(ms); }};
    TMachineInstallationSources sources;
    RunInstallationStage(host, serverText, clientText, sources, result);
  }
  std::string lines;
  for (std::size_t n = 0; n < ini.size(); ++n) lines += Value("Line" + std::to_string(n), ini[n]);
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<W.xml>\n\r<LumaroOptions><Server>" +
      Files("ServerFiles", serverText, versions) + Value("TavContentPath", Path1251(dir_)) +
      Value("SchoolContentPath", Path1251(dir_ / "missing")) + Value("SCPDiskFreeSpace", "0MB") + "<INI>" + lines +
      "</INI></Server><Client>" + Files("ClientFiles", clientText, versions) +
      Value("axTavMedia", "Not Install") + "</Client></LumaroOptions></W.xml>";
  EXPECT_EQ(test::ReadAll("W.xml"), expected);
  EXPECT_EQ(waits, std::vector<std::uint32_t>{1000});
  EXPECT_TRUE(result.ServerConfigFound);
  EXPECT_EQ(result.DbName1 + "|" + result.DbServer1, "Tav|SRV");
  EXPECT_EQ(result.DbName4 + "|" + result.DbServer4, "error|error");
  EXPECT_EQ(result.DbName5 + "|" + result.DbServer5, "Error|Error");
  EXPECT_EQ(result.ConfigFilePath, serverText + "DbEngine.ini");
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
