#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lmr {

// Whether an enumerated entry is listed: never "." or "..", nor a plain
// folder (attribute word exactly 16); a folder with any further attribute
// (hidden, system, read-only, archive ...) is listed like a file.
bool ListsEntry(const std::string& name, std::uint32_t attributes);

// Names of the folder's entries, not recursive, in the file system's order;
// an empty list when the folder does not exist.
std::vector<std::string> ListFiles(const std::string& folder);

}  // namespace lmr
