#pragma once
// Fakes shared by the engine tests: a library loader over a pretend file
// system, a registry of a machine with the engine installed, and a progress
// list.
#include "shell/fake_progress_list.h"
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine_probes.h"
#include "shell/step_protocol.h"

namespace lmr::test {

inline constexpr char kLibrary[] = "C:\\Program Files\\Microsoft SQL Server\\80\\Tools\\Binn\\w95scm.dll";

// A loader over a pretend file system whose current folder is C:\Work. Each
// file that loads answers a fixed code, raises, or lacks the export.
class TFakeLoader : public TLibraryLoader {
 public:
  enum class Kind { Answers, Raises, NoExport, DoesNotLoad };
  struct File {
    Kind kind = Kind::Answers;
    std::int32_t code = 0;
  };
  std::map<std::string, File> files;
  std::vector<std::string> checked;
  std::vector<std::string> loaded;
  std::vector<std::string> calls;  // the arguments each call received
  // Codes answered by the second and later calls, in turn; then the file's own.
  std::vector<std::int32_t> laterCodes;
  int live = 0;  // libraries loaded and not yet released

  std::string FullPath(const std::string& path) override {
    return path.size() > 1 && path[1] == ':' ? path : "C:\\Work\\" + path;
  }
  bool FileExists(const std::string& absolutePath) override {
    checked.push_back(absolutePath);
    return files.count(absolutePath) != 0;
  }
  std::unique_ptr<TLoadedLibrary> Load(const std::string& absolutePath) override {
    loaded.push_back(absolutePath);
    const File& file = files.at(absolutePath);
    if (file.kind == Kind::DoesNotLoad) return nullptr;
    return std::make_unique<Library>(*this, file);
  }

 private:
  class Library : public TLoadedLibrary {
   public:
    Library(TFakeLoader& loader, File file) : loader_(loader), file_(file) { ++loader_.live; }
    ~Library() override { --loader_.live; }
    TServiceStateFunction ServiceStateExport(const std::string& name) override {
      if (file_.kind == Kind::NoExport || name != "SQLSCMGetLocalServiceStateA") return {};
      return [this](const char* service, void* reserved) -> std::int32_t {
        loader_.calls.push_back(std::string(service) + (reserved ? ", reserved" : ", null"));
        if (file_.kind == Kind::Raises) throw std::runtime_error("access violation");
        const std::size_t later = loader_.calls.size() - 1;
        if (later >= 1 && later <= loader_.laterCodes.size()) return loader_.laterCodes[later - 1];
        return file_.code;
      };
    }

   private:
    TFakeLoader& loader_;
    File file_;
  };
};

// A machine with the engine installed at the usual place.
inline TMemoryRegistry EngineMachine(std::uint32_t grantedAccess = 0xFFFFFFFFu) {
  TMemoryRegistry registry;
  registry.Import(
      "REGEDIT4\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer]\n"
      "\"LoginMode\"=dword:00000002\n"
      "\"DefaultCollationName\"=\"Cyrillic_General_CI_AS\"\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\MSSQLSERVER]\n"
      "\"Start\"=dword:00000002\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft SQL Server\\80\\Tools\\ClientSetup]\n"
      "\"SQLPath\"=\"C:\\\\Program Files\\\\Microsoft SQL Server\\\\80\\\\Tools\"\n");
  for (const char* key : {kEngineKey, kEngineServiceKey, kEngineClientSetupKey}) registry.AddKey(key, grantedAccess);
  return registry;
}

using TFakeProgressList = test::FakeProgressList;

}  // namespace lmr::test
