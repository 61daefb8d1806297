// Choosing the version text from what the version resource answers.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "install/file_version.h"

namespace lmr {
namespace {

TEST(TranslationKey, FirstPairAsEightUpperCaseHexDigits) {
  struct Row {
    const char* name;
    std::optional<std::string> bytes;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"Russian, 1251", std::string("\x19\x04\xE3\x04", 4), "041904E3"},
      {"letters upper case", std::string("\x0A\x0C\xE4\x04", 4), "0C0A04E4"},
      {"first of two pairs", std::string("\x09\x04\xB0\x04\x19\x04\xE3\x04", 8), "040904B0"},
      {"zero words", std::string(4, '\0'), "00000000"},
      {"short pair", std::string("\x19\x04\xE3", 3), ""},
      {"empty", std::string(), ""},
      {"absent", std::nullopt, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(TranslationKey(r.bytes ? std::optional<std::string_view>(*r.bytes) : std::nullopt), r.expected);
  }
}

TEST(ChooseFileVersion, TextOfTheFirstTranslationOrTheFixedSentence) {
  const std::map<std::string, std::string> texts = {
      {"\\StringFileInfo\\041904E3\\FileVersion", "1.2.0.15"},
      {"\\StringFileInfo\\040904E4\\FileVersion", std::string("2.0.1.5\0junk", 12)},
      {"\\StringFileInfo\\\\FileVersion", "keyless"},
  };
  struct Row {
    const char* name;
    std::optional<std::string> translation;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"Russian block", std::string("\x19\x04\xE3\x04", 4), "1.2.0.15"},
      {"text ends at its zero", std::string("\x09\x04\xE4\x04", 4), "2.0.1.5"},
      {"first translation only", std::string("\x09\x04\xB0\x04\x19\x04\xE3\x04", 8), kNoFileVersion},
      {"no translation asks the empty key", std::nullopt, "keyless"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<std::string> asked;
    const std::string text = ChooseFileVersion(
        r.translation ? std::optional<std::string_view>(*r.translation) : std::nullopt,
        [&](const std::string& subBlock) -> std::optional<std::string> {
          asked.push_back(subBlock);
          const auto it = texts.find(subBlock);
          if (it == texts.end()) return std::nullopt;
          return it->second;
        });
    EXPECT_EQ(text, r.expected);
    EXPECT_EQ(asked.size(), 1u);
  }
}

}  // namespace
}  // namespace lmr
