#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/list_files.h"
#include "common/load_lines.h"
#include "common/text1251.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#include "common/wide_win32.h"
#else
#include <sys/stat.h>
#endif

namespace lmr {
namespace {

void MakeDir(const std::string& path) {
#ifdef _WIN32
  CreateDirectoryW(Wide(path).c_str(), nullptr);
#else
  mkdir(path.c_str(), 0755);
#endif
}

void MakeHidden(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  MakeDir(folder + "\\" + name);
  SetFileAttributesW(Wide(folder + "\\" + name).c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
#else
  MakeDir(folder + "/." + name);
#endif
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(LineSplitter, BreaksAtCrLfOrPairAndStopsAtZero) {
  struct Case {
    std::string in;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\nb\nc", {"a", "b", "c"}},
      {"a\rb\rc\r", {"a", "b", "c"}},
      {"a\r\nb\r\nc\r\n", {"a", "b", "c"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\n\r\nb", {"a", "", "b"}},
      {std::string("ab\0cd\nef", 8), {"ab"}},
      {"", {}},
      {"\n", {""}},
  };
  for (const auto& c : cases) {
    LineSplitter whole;
    whole.Feed(c.in);
    EXPECT_EQ(whole.Finish(), c.lines) << c.in;
    // The same bytes fed one at a time: a CR LF split across pieces stays one break.
    LineSplitter bytes;
    for (char ch : c.in) bytes.Feed(std::string_view(&ch, 1));
    EXPECT_EQ(bytes.Finish(), c.lines) << c.in;
  }
}

TEST(LoadLines, MissingGivesNoneEmptyGivesNoLines) {
  EXPECT_FALSE(LoadLines("no_such_file.txt").has_value());
  test::WriteAll("empty.txt", "");
  auto empty = LoadLines("empty.txt");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
}

TEST(LoadLines, BinaryAndLongFilesGiveTheirLines) {
  std::string bin;
  for (int i = 1; i < 256; ++i) bin += static_cast<char>(i);
  bin += std::string("\0tail", 5);
  test::WriteAll("binary.bin", bin);
  auto lines = LoadLines("binary.bin");
  ASSERT_TRUE(lines.has_value());
  // 1..9, LF(10), 11, 12, CR(13) ...: lines around the two breaks, nothing after the zero.
  ASSERT_EQ(lines->size(), 3u);
  EXPECT_EQ((*lines)[0], std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09"));
  EXPECT_EQ((*lines)[1], std::string("\x0B\x0C"));
  EXPECT_EQ((*lines)[2].size(), 255u - 13u);

  std::string big;
  for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
  test::WriteAll("big.txt", big);
  auto many = LoadLines("big.txt");
  ASSERT_TRUE(many.has_value());
  ASSERT_EQ(many->size(), 20000u);
  EXPECT_EQ(many->back(), "line 19999");
}

TEST(ListFiles, ListsFilesAndMarkedFoldersNeverPlainFoldersOrDots) {
  const std::string root = "listing";
  MakeDir(root);
  MakeDir(root + "/plain");
  MakeHidden(root, "hidden");
  test::WriteAll(root + "/one.txt", "1");
  const std::string cyr = Utf8To1251("Отчёт.doc");
#ifdef _WIN32
  test::WriteAll(root + "/two.dll", "2");
  HANDLE h = CreateFileW(Wide(root + "\\" + cyr).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
  const std::vector<std::string> expected = Sorted({"hidden", "one.txt", "two.dll", cyr});
#else
  test::WriteAll(root + "/" + cyr, "2");
  const std::vector<std::string> expected = Sorted({".hidden", "one.txt", cyr});
#endif
  EXPECT_EQ(Sorted(ListFiles(root)), expected);
  EXPECT_EQ(Sorted(ListFiles(root + "\\")), expected);
  EXPECT_TRUE(ListFiles("no_such_folder").empty());
}

TEST(ListFiles, EntryRule) {
  EXPECT_FALSE(ListsEntry(".", 0x10));
  EXPECT_FALSE(ListsEntry("..", 0x10));
  EXPECT_FALSE(ListsEntry("sub", 0x10));
  EXPECT_TRUE(ListsEntry("sub", 0x10 | 0x02));
  EXPECT_TRUE(ListsEntry("sub", 0x10 | 0x20));
  EXPECT_TRUE(ListsEntry("file", 0x20));
  EXPECT_TRUE(ListsEntry("file", 0x80));
}

TEST(ListFiles, ThousandsOfEntries) {
  const std::string root = "many";
  MakeDir(root);
  for (int i = 0; i < 3000; ++i) test::WriteAll(root + "/f" + std::to_string(i), "");
  EXPECT_EQ(ListFiles(root).size(), 3000u);
}

}  // namespace
}  // namespace lmr
