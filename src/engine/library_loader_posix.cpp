#include "common/file_system.h"
#include "engine/library_loader.h"

namespace lmr {

namespace {

// Paths are taken as given and nothing loads: a host without Windows has no
// engine library to call.
class TPosixLoader : public TLibraryLoader {
 public:
  std::string FullPath(const std::string& path) override { return path; }
  bool FileExists(const std::string& absolutePath) override { return lmr::FileExists(absolutePath); }
  std::unique_ptr<TLoadedLibrary> Load(const std::string&) override { return nullptr; }
};

}  // namespace

TLibraryLoader& MachineLibraryLoader() {
  static TPosixLoader loader;
  return loader;
}

}  // namespace lmr
