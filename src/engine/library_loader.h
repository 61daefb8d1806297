#pragma once
// Loading the engine's service-control library. Paths are windows-1251 byte
// strings.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace lmr {

// The state export: C calling convention, (service name, reserved null) → state code.
using TServiceStateFunction = std::function<std::int32_t(const char* service, void* reserved)>;

// One loaded library; destroying it releases the library.
class TLoadedLibrary {
 public:
  virtual ~TLoadedLibrary() = default;
  // The state function exported under that name; empty when there is none.
  virtual TServiceStateFunction ServiceStateExport(const std::string& name) = 0;
};

class TLibraryLoader {
 public:
  virtual ~TLibraryLoader() = default;
  // The absolute form of a path, a bare name taken in the current folder.
  virtual std::string FullPath(const std::string& path) = 0;
  virtual bool FileExists(const std::string& absolutePath) = 0;
  // Loads exactly the file at an absolute path, its dependencies looked for
  // first in its own folder; null when it does not load.
  virtual std::unique_ptr<TLoadedLibrary> Load(const std::string& absolutePath) = 0;
};

// The loader of the machine the program runs on; a host without Windows
// loads no Windows library.
TLibraryLoader& MachineLibraryLoader();

}  // namespace lmr
