#include <sys/statvfs.h>

#include "install/installation_stage.h"

namespace lmr {

std::optional<std::uint64_t> VolumeFreeBytes(const std::string& path) {
  std::string local = path;
  for (char& c : local) {
    if (c == '\\') c = '/';
  }
  struct statvfs fs {};
  if (statvfs(local.c_str(), &fs) != 0) return std::nullopt;
  return std::uint64_t{fs.f_bavail} * fs.f_frsize;
}

}  // namespace lmr
