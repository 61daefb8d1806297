#include "common/list_files.h"

#include "common/file_system.h"

namespace lmr {

bool ListsEntry(const std::string& name, std::uint32_t attributes) {
  return name != "." && name != ".." && attributes != kAttrDirectory;
}

std::vector<std::string> ListFiles(const std::string& folder) {
  std::string path = folder;
  if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
  std::vector<std::string> names;
  if (!DirectoryExists(path)) return names;
  EnumerateFolder(path, [&](const std::string& name, std::uint32_t attributes) {
    if (ListsEntry(name, attributes)) names.push_back(name);
  });
  return names;
}

}  // namespace lmr
