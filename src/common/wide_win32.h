#pragma once
// Windows-only: windows-1251 byte strings to and from the W APIs' UTF-16.
#include <string>

namespace lmr {

std::wstring Wide(const std::string& cp1251);
std::string Narrow(const wchar_t* text);
std::string Narrow(const std::wstring& text);

}  // namespace lmr
