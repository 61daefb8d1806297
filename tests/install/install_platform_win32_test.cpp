// The Windows side of the installation probes with real files: version
// resources read by version.dll, profiles in folders with Cyrillic names.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "common/text1251.h"
#include "install/file_version.h"
#include "install/file_version_win32.h"
#include "install/profile_reader.h"
#include "test_support.h"

namespace lmr {
namespace {

namespace fs = std::filesystem;

std::string Path1251(const fs::path& p) { return Utf8To1251(fs::absolute(p).u8string()); }

std::string Fixture(const char* name) { return Path1251(fs::path("pe") / name); }

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string Utf16(const char* ascii) {
  std::string s;
  for (; *ascii; ++ascii) s += std::string{*ascii, '\0'};
  return s;
}

class InstallFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::absolute(fs::path("install_scratch"));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(InstallFiles, VersionTextOfRealFiles) {
  const fs::path cyrillic = dir_ / fs::u8path(u8"Клиент");
  fs::create_directories(cyrillic);
  fs::copy_file(fs::path("pe") / "versioned_en.dll", cyrillic / fs::u8path(u8"модуль.dll"));
  WriteBytes(dir_ / "readme.txt", "Version 7.7.7.7\r\n");

  const struct {
    const char* name;
    std::string path;
    std::string expected;
  } rows[] = {
      {"Russian translation", Fixture("versioned_ru.dll"), "1.2.0.15"},
      {"English translation", Fixture("versioned_en.dll"), "2.0.1.5"},
      {"first of two translations", Fixture("two_translations.dll"), "3.0.0.1"},
      {"translation without its block", Fixture("mismatched_key.dll"), kNoFileVersion},
      {"no translation list", Fixture("no_translation.dll"), kNoFileVersion},
      {"block without FileVersion", Fixture("no_file_version.dll"), kNoFileVersion},
      {"program without version resource", Fixture("plain.dll"), kNoFileVersion},
      {"plain text file", Path1251(dir_ / "readme.txt"), kNoFileVersion},
      {"missing file", Path1251(dir_ / "absent.dll"), kNoFileVersion},
      {"Cyrillic folder and file names", Path1251(cyrillic / fs::u8path(u8"модуль.dll")), "2.0.1.5"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(FileVersionText(r.path), r.expected);
  }
}

TEST_F(InstallFiles, TruncatedFilesHaveNoVersion) {
  const std::string pe = ReadBytes(fs::path("pe") / "versioned_ru.dll");
  ASSERT_GT(pe.size(), 4096u);
  const size_t resource = pe.find(Utf16("VS_VERSION_INFO"));
  const size_t text = pe.find(Utf16("1.2.0.15"));
  ASSERT_NE(resource, std::string::npos);
  ASSERT_NE(text, std::string::npos);
  // Cuts inside the headers and inside the version resource.
  for (size_t length : {size_t{0}, size_t{2}, size_t{64}, size_t{512}, resource + 8, text + 4}) {
    SCOPED_TRACE(length);
    const fs::path cut = dir_ / ("cut" + std::to_string(length) + ".dll");
    WriteBytes(cut, pe.substr(0, length));
    EXPECT_EQ(FileVersionText(Path1251(cut)), kNoFileVersion);
  }
}

TEST_F(InstallFiles, MalformedVersionResourceNeverBreaksTheReading) {
  const std::string pe = ReadBytes(fs::path("pe") / "versioned_ru.dll");
  const size_t root = pe.find(Utf16("VS_VERSION_INFO"));
  const size_t text = pe.find(Utf16("FileVersion"));
  const size_t translation = pe.find(Utf16("Translation"));
  ASSERT_NE(root, std::string::npos);
  ASSERT_NE(text, std::string::npos);
  ASSERT_NE(translation, std::string::npos);
  // Each structure starts with its length, value length and type, then its key.
  const struct {
    const char* name;
    size_t at;
    std::string bytes;
  } damage[] = {
      {"root length huge", root - 6, "\xFF\xFF"},
      {"root length zero", root - 6, std::string(2, '\0')},
      {"text length huge", text - 6, "\xFF\xFF\xFF\xFF"},
      {"text length zero", text - 6, std::string(4, '\0')},
      {"translation value huge", translation - 6, "\xFF\xFF\xFF\xFF"},
      {"translation length zero", translation - 6, std::string(4, '\0')},
      {"keys overwritten", root, std::string(64, '\xFF')},
  };
  // The damage may hide the text, leave it intact or make it zero long; nothing else is sound.
  const std::set<std::string> sound = {kNoFileVersion, "1.2.0.15", ""};
  for (const auto& d : damage) {
    SCOPED_TRACE(d.name);
    std::string bytes = pe;
    bytes.replace(d.at, d.bytes.size(), d.bytes);
    const fs::path file = dir_ / (std::string("damaged") + std::to_string(d.at) + std::to_string(d.bytes[0] & 0xFF) + ".dll");
    WriteBytes(file, bytes);
    const std::string version = FileVersionText(Path1251(file));
    EXPECT_EQ(sound.count(version), 1u) << version;
  }
}

TEST_F(InstallFiles, ProfileInAFolderWithCyrillicName) {
  const fs::path folder = dir_ / fs::u8path(u8"Сервер");
  fs::create_directories(folder);
  WriteBytes(folder / "DbEngine.ini", "[Server]\r\nLocateFiles2=D:\\School\r\n");
  const std::string path = Path1251(folder / "DbEngine.ini");
  EXPECT_EQ(ReadProfileString(path, "Server", "LocateFiles2", ""), "D:\\School");
  EXPECT_EQ(ReadProfileStringPortable(path, "Server", "LocateFiles2", ""), "D:\\School");
}

}  // namespace
}  // namespace lmr
