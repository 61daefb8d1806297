#include "install/profile_reader.h"

namespace lmr {

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  return ReadProfileStringPortable(file, section, key, defaultValue);
}

}  // namespace lmr
