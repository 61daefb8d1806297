#pragma once
// A key for hashing windows-1251 text without regard to letter case: two
// texts have equal keys exactly when SameTextIgnoringCase holds for them.
#include <string>
#include <string_view>

namespace lmr {

std::string CaseKey(std::string_view text);

}  // namespace lmr
