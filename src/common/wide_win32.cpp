#include "common/wide_win32.h"

#include "common/text1251.h"

namespace lmr {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

std::wstring Wide(const std::string& cp1251) {
  std::u16string u = Cp1251ToUtf16(cp1251);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(const wchar_t* text) {
  return text ? Utf16To1251(reinterpret_cast<const char16_t*>(text)) : std::string();
}

std::string Narrow(const std::wstring& text) {
  return Utf16To1251(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace lmr
