#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/file_system.h"
#include "common/wide_win32.h"
#include "engine/library_loader.h"

namespace lmr {

namespace {

// The export's own convention; __cdecl is the only one on x86-64 as well.
typedef LONG(__cdecl* TStateExport)(const char* service, void* reserved);

class TWin32Library : public TLoadedLibrary {
 public:
  explicit TWin32Library(HMODULE module) : module_(module) {}
  ~TWin32Library() override { FreeLibrary(module_); }
  TWin32Library(const TWin32Library&) = delete;
  TWin32Library& operator=(const TWin32Library&) = delete;

  TServiceStateFunction ServiceStateExport(const std::string& name) override {
    FARPROC proc = GetProcAddress(module_, name.c_str());
    if (!proc) return {};
    auto function = reinterpret_cast<TStateExport>(reinterpret_cast<void*>(proc));
    return [function](const char* service, void* reserved) {
      return static_cast<std::int32_t>(function(service, reserved));
    };
  }

 private:
  HMODULE module_;
};

class TWin32Loader : public TLibraryLoader {
 public:
  std::string FullPath(const std::string& path) override {
    const std::wstring wide = Wide(path);
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::vector<wchar_t> buffer(size + 1, L'\0');
    if (GetFullPathNameW(wide.c_str(), size + 1, buffer.data(), nullptr) == 0) return path;
    return Narrow(buffer.data());
  }

  bool FileExists(const std::string& absolutePath) override { return lmr::FileExists(absolutePath); }

  // With an absolute path, LOAD_WITH_ALTERED_SEARCH_PATH makes the library's
  // own folder the first place its dependencies are looked for.
  std::unique_ptr<TLoadedLibrary> Load(const std::string& absolutePath) override {
    HMODULE module = LoadLibraryExW(Wide(absolutePath).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return nullptr;
    return std::make_unique<TWin32Library>(module);
  }
};

}  // namespace

TLibraryLoader& MachineLibraryLoader() {
  static TWin32Loader loader;
  return loader;
}

}  // namespace lmr
