// POSIX twin of the file-system calls, for the native build. A backslash
// from the Windows-shaped callers is taken as a separator.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "common/file_system.h"

namespace lmr {
namespace {

std::string Local(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(Local(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(Local(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadFileInPieces(const std::string& path, const std::function<bool(std::string_view)>& onPiece) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(Local(path).c_str(), "rb"), &std::fclose);
  if (!f) return false;
  char buffer[64 * 1024];
  for (;;) {
    size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
    if (n > 0 && !onPiece(std::string_view(buffer, n))) return true;
    if (n < sizeof buffer) return !std::ferror(f.get());
  }
}

bool EnumerateFolder(const std::string& folder,
                     const std::function<void(const std::string&, std::uint32_t)>& onEntry) {
  std::string dir = Local(folder);
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), &closedir);
  if (!d) return false;
  while (dirent* e = readdir(d.get())) {
    std::string name = e->d_name;
    struct stat st;
    std::uint32_t attributes = kAttrArchive;
    if (stat((dir + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) attributes = kAttrDirectory;
    // Dot files are the POSIX idea of hidden.
    if (name[0] == '.' && name != "." && name != "..") attributes |= kAttrHidden;
    onEntry(name, attributes);
  }
  return true;
}

}  // namespace lmr
