#pragma once
// Windows only: reading a file's version resource through version.dll.
#include <string>

namespace lmr {

// The "FileVersion" text of the file's first translation, or "FV not stored.".
std::string FileVersionText(const std::string& path);

}  // namespace lmr
