#pragma once
// Report texts are windows-1251 bytes; sources hold UTF-8 literals and the
// window speaks UTF-16. These convert between them without the system's
// ANSI code page, which on a non-Russian Windows (or Wine) is not 1251.
#include <string>
#include <string_view>

namespace lmr {

// UTF-8 to windows-1251; a character 1251 cannot hold becomes '?'.
std::string Utf8To1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view bytes);

// UTF-16 code units, held in std::wstring on Windows and std::u16string elsewhere.
std::u16string Cp1251ToUtf16(std::string_view bytes);
std::string Utf16To1251(std::u16string_view text);

// The Unicode code point of one windows-1251 byte; 0xFFFD for 0x98, which is unassigned.
char32_t Cp1251CodePoint(unsigned char byte);

}  // namespace lmr
