#include <windows.h>

#include <stdexcept>

#include "common/wide_win32.h"
#include "install/profile_reader.h"

namespace lmr {
namespace {

// The system decodes an ANSI profile with the ANSI code page, so names go in
// and the value comes back through that page: the file's bytes return
// unchanged whatever the page is. Only the path needs windows-1251.
std::wstring FromAnsi(const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) throw std::runtime_error("profile name cannot be converted from the ANSI code page");
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::string ToAnsi(const wchar_t* w, int length) {
  if (length == 0) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, w, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) throw std::runtime_error("profile value cannot be converted to the ANSI code page");
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, length, &s[0], n, nullptr, nullptr);
  return s;
}

}  // namespace

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  wchar_t buffer[kProfileBufferChars];
  const DWORD n = GetPrivateProfileStringW(FromAnsi(section).c_str(), FromAnsi(key).c_str(),
                                           FromAnsi(defaultValue).c_str(), buffer, kProfileBufferChars,
                                           Wide(file).c_str());
  return ToAnsi(buffer, static_cast<int>(n));
}

}  // namespace lmr
