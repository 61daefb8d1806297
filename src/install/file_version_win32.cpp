#include "install/file_version_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/wide_win32.h"
#include "install/file_version.h"

namespace lmr {
namespace {

// Bytes of the block from `at` on: a malformed resource may claim more.
size_t Room(const std::vector<char>& block, const void* at) {
  const char* p = static_cast<const char*>(at);
  if (p < block.data() || p > block.data() + block.size()) return 0;
  return static_cast<size_t>(block.data() + block.size() - p);
}

}  // namespace

std::string FileVersionText(const std::string& path) {
  const std::wstring file = Wide(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return kNoFileVersion;
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return kNoFileVersion;

  std::optional<std::string_view> translation;
  void* data = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) && data)
    translation = std::string_view(static_cast<const char*>(data), std::min<size_t>(length, Room(block, data)));
  return ChooseFileVersion(translation, [&](const std::string& subBlock) -> std::optional<std::string> {
    void* text = nullptr;
    UINT chars = 0;
    if (!VerQueryValueW(block.data(), Wide(subBlock).c_str(), &text, &chars) || !text) return std::nullopt;
    // The length may count the terminating zero; the text ends at it.
    const wchar_t* w = static_cast<const wchar_t*>(text);
    return Narrow(std::wstring(w, std::min<size_t>(chars, Room(block, text) / sizeof(wchar_t))));
  });
}

}  // namespace lmr
