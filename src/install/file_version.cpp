#include "install/file_version.h"

#include <cstdio>

namespace lmr {

std::string TranslationKey(std::optional<std::string_view> translation) {
  if (!translation || translation->size() < 4) return std::string();
  const auto word = [&](size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>((*translation)[at]) |
                                 (static_cast<unsigned char>((*translation)[at + 1]) << 8));
  };
  char key[9];
  std::snprintf(key, sizeof key, "%04X%04X", word(0), word(2));
  return key;
}

std::string ChooseFileVersion(
    std::optional<std::string_view> translation,
    const std::function<std::optional<std::string>(const std::string& subBlock)>& queryText) {
  std::optional<std::string> text = queryText("\\StringFileInfo\\" + TranslationKey(translation) + "\\FileVersion");
  if (!text) return kNoFileVersion;
  return text->substr(0, text->find('\0'));
}

}  // namespace lmr
