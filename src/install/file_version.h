#pragma once
// How a file's version text is chosen from its version resource.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lmr {

inline constexpr char kNoFileVersion[] = "FV not stored.";

// The key of the first language/code-page pair of "\VarFileInfo\Translation"
// (041904E3 for Russian, 1251); empty when the pair is missing or short.
std::string TranslationKey(std::optional<std::string_view> translation);

// The version text given the two lookups the system answers: the
// translation's bytes, and the text at a "\StringFileInfo\..." path.
std::string ChooseFileVersion(
    std::optional<std::string_view> translation,
    const std::function<std::optional<std::string>(const std::string& subBlock)>& queryText);

}  // namespace lmr
