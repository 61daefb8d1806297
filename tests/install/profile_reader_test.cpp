// The profile table through the portable reader, whole files and streamed in
// pieces, and on Windows through the system call as well.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "install/profile_cases.h"
#include "install/profile_reader.h"
#include "test_support.h"

namespace lmr {
namespace {

namespace fs = std::filesystem;

// A scratch folder with an absolute path: the system looks for bare names in the Windows folder.
class ProfileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::absolute(fs::path("profile_scratch"));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Every file gets its own name, so no cached earlier content can answer.
  std::string Write(const std::string& bytes) {
    const fs::path p = dir_ / ("case" + std::to_string(++count_) + ".ini");
    test::WriteAll(p.string(), bytes);
    return p.string();
  }

  fs::path dir_;
  int count_ = 0;
};

TEST_F(ProfileFiles, TableAgreesWithTheSystemsAnswers) {
  for (const test::ProfileCase& c : test::ProfileCases()) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(c.file);
    EXPECT_EQ(ReadProfileStringPortable(path, c.section, c.key, c.fallback), c.expected);
#ifdef _WIN32
    EXPECT_EQ(ReadProfileString(path, c.section, c.key, c.fallback), c.expected) << "system call";
#endif
  }
}

TEST(ProfileLookup, PieceBoundariesDoNotChangeTheAnswer) {
  for (const test::ProfileCase& c : test::ProfileCases()) {
    SCOPED_TRACE(c.name);
    for (size_t size : {1, 2, 3, 7, 4096}) {
      ProfileLookup lookup(c.section, c.key);
      for (size_t at = 0; at < c.file.size() && lookup.Feed(std::string_view(c.file).substr(at, size)); at += size) {
      }
      EXPECT_EQ(lookup.Finish(c.fallback), c.expected) << "pieces of " << size;
    }
  }
}

TEST(ProfileLookup, SeveralMegabytesOfOneLineStreamThrough) {
  ProfileLookup lookup("S", "K");
  ASSERT_TRUE(lookup.Feed("[S]\nJunk="));
  const std::string piece(64 * 1024, 'x');
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(lookup.Feed(piece));
  ASSERT_TRUE(lookup.Feed("\nK=" + piece));
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(lookup.Feed(piece));
  EXPECT_FALSE(lookup.Feed("\n[T]\n"));
  EXPECT_EQ(lookup.Finish(""), std::string(2047, 'x'));
}

TEST(ProfileLookup, StopsReadingOnceTheAnswerIsKnown) {
  ProfileLookup found("S", "K");
  EXPECT_FALSE(found.Feed("[S]\nK=v\nmore"));
  EXPECT_EQ(found.Finish(""), "v");
  ProfileLookup passed("S", "K");
  EXPECT_FALSE(passed.Feed("[S]\nJ=v\n[T]\n"));
  EXPECT_EQ(passed.Finish("d"), "d");
  ProfileLookup open("S", "K");
  EXPECT_TRUE(open.Feed("[T]\nK=v\n[S]\nJ=x\n"));
}

TEST(ProfileLookup, RefusesEmptyNames) {
  EXPECT_THROW(ProfileLookup("", "K"), std::invalid_argument);
  EXPECT_THROW(ProfileLookup("S", "  "), std::invalid_argument);
}

TEST_F(ProfileFiles, MissingFileReadsAsAnEmptyOne) {
  const std::string missing = (dir_ / "absent.ini").string();
  for (const auto& read : {&ReadProfileStringPortable, &ReadProfileString}) {
    EXPECT_EQ(read(missing, "S", "K", "error"), "error");
    EXPECT_EQ(read(missing, "S", "K", "\"q\"  "), "q");
    EXPECT_EQ(read(missing, "S", "K", std::string(3000, 'd')), std::string(2047, 'd'));
  }
}

}  // namespace
}  // namespace lmr
