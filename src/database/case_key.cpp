#include "database/case_key.h"

#include <array>

#include "shell/step_protocol.h"

namespace lmr {
namespace {

// Each byte's stand-in: the lowest byte that compares equal to it, so the
// case rule stays in one place.
std::array<char, 256> MakeTable() {
  std::array<char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    for (int c = 0; c <= b; ++c) {
      if (SameTextIgnoringCase(byte, std::string(1, static_cast<char>(c)))) {
        table[b] = static_cast<char>(c);
        break;
      }
    }
  }
  return table;
}

}  // namespace

std::string CaseKey(std::string_view text) {
  static const std::array<char, 256> table = MakeTable();
  std::string key(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) key[i] = table[static_cast<unsigned char>(text[i])];
  return key;
}

}  // namespace lmr
