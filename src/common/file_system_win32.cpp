#include <windows.h>

#include "common/file_system.h"
#include "common/wide_win32.h"

namespace lmr {

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadFileInPieces(const std::string& path, const std::function<bool(std::string_view)>& onPiece) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  char buffer[64 * 1024];
  bool ok = true;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
      ok = false;
      break;
    }
    if (n == 0 || !onPiece(std::string_view(buffer, n))) break;
  }
  CloseHandle(h);
  return ok;
}

bool EnumerateFolder(const std::string& folder,
                     const std::function<void(const std::string&, std::uint32_t)>& onEntry) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(folder + "*.*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    onEntry(Narrow(data.cFileName), data.dwFileAttributes);
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return true;
}

}  // namespace lmr
