// The engine probes over an in-memory registry and a fake library loader.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine_probes.h"
#include "engine/engine_fakes.h"

namespace lmr {
namespace {

using test::EngineMachine;
using test::kLibrary;
using test::TFakeLoader;

const char kNtDefault[] = "The Microsoft Windows NT\xAE default is Windows Authentication Mode";

TEST(EngineTexts, ServiceStateTexts) {
  const std::map<std::int32_t, std::string> expected = {
      {1, "Stop"}, {2, "Continue"}, {3, "Unknown"}, {4, "Start"}, {5, "Unknown"},
      {6, "Unknown"}, {7, "Pause"}, {0, "Unknown"}, {-1, "Unknown"}, {8, "Unknown"}};
  for (const auto& [code, text] : expected) EXPECT_EQ(ServiceStateText(code), text) << code;
}

TEST(EngineTexts, LoginModeAndDefaultTexts) {
  struct Case {
    std::int32_t mode;
    std::uint32_t platform;
    std::string text;
  };
  const Case cases[] = {
      {0, kPlatformWin32NT, "Mixed Mode"},
      {1, kPlatformWin32NT, "Windows Authentication Mode"},
      {2, kPlatformWin32NT, "Mixed Mode"},
      {5, kPlatformWin32NT, "Unknown"},
      {-2, kPlatformWin32NT, "Unknown"},
      {-1, kPlatformWin32NT, kNtDefault},
      {-1, kPlatformWin32Windows, "The Microsoft Windows 9x default is Mixed Mode, with no sa password"},
      {-1, 0, "Unknown"},
      {-1, 3, "Unknown"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoginModeText(c.mode, c.platform), c.text) << c.mode << " on platform " << c.platform;
  }
  EXPECT_EQ(DefaultLoginModeText(kPlatformWin32NT), kNtDefault);
}

TEST(EngineRegistryProbes, MachineWithoutTheEngine) {
  TMemoryRegistry registry;
  TFakeLoader loader;
  std::int32_t number = 99;
  std::string text = "stale";
  EXPECT_FALSE(EngineInstalled(registry));
  EXPECT_FALSE(EngineAutoStart(registry));
  EXPECT_FALSE(EngineServiceState(registry, loader, number));
  EXPECT_FALSE(EngineStateText(registry, loader, text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(EngineLoginMode(registry, number));
  EXPECT_FALSE(LoginModeText(registry, kPlatformWin32NT, text = "stale"));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(EngineCollationName(registry, text = "stale"));
  EXPECT_EQ(text, "");
  EXPECT_EQ(number, 99);
  EXPECT_TRUE(loader.checked.empty());
}

// Every key grants reading only, as HKEY_LOCAL_MACHINE does to a process
// without elevation: the engine is still found.
TEST(EngineRegistryProbes, ReadOnlyKeysStillShowTheEngine) {
  TMemoryRegistry registry = EngineMachine(kKeyRead);
  TFakeLoader loader;
  loader.files[kLibrary] = {TFakeLoader::Kind::Answers, 4};
  std::string text;
  EXPECT_TRUE(EngineInstalled(registry));
  EXPECT_TRUE(EngineAutoStart(registry));
  EXPECT_TRUE(EngineStateText(registry, loader, text));
  EXPECT_EQ(text, "Start");
  EXPECT_TRUE(LoginModeText(registry, kPlatformWin32NT, text));
  EXPECT_EQ(text, "Mixed Mode");
  EXPECT_TRUE(EngineCollationName(registry, text));
  EXPECT_EQ(text, "Cyrillic_General_CI_AS");
}

TEST(EngineRegistryProbes, AutoStartOnlyForStartTypeTwo) {
  for (std::uint32_t start : {0u, 1u, 2u, 3u, 4u}) {
    TMemoryRegistry registry = EngineMachine();
    registry.SetInteger(kEngineServiceKey, "Start", start);
    EXPECT_EQ(EngineAutoStart(registry), start == 2) << start;
  }
  TMemoryRegistry withoutStart;
  withoutStart.AddKey(kEngineServiceKey);
  EXPECT_FALSE(EngineAutoStart(withoutStart));
}

TEST(EngineRegistryProbes, LoginModeFromTheRegistry) {
  const std::map<std::uint32_t, std::string> expected = {
      {0, "Mixed Mode"}, {1, "Windows Authentication Mode"}, {2, "Mixed Mode"},
      {0xFFFFFFFFu, kNtDefault}, {5, "Unknown"}};
  for (const auto& [stored, text] : expected) {
    TMemoryRegistry registry = EngineMachine();
    registry.SetInteger(kEngineKey, "LoginMode", stored);
    std::string found;
    EXPECT_TRUE(LoginModeText(registry, kPlatformWin32NT, found)) << stored;
    EXPECT_EQ(found, text) << stored;
  }
  TMemoryRegistry allBits = EngineMachine();
  allBits.SetInteger(kEngineKey, "LoginMode", 0xFFFFFFFFu);
  std::int32_t mode = 0;
  EXPECT_TRUE(EngineLoginMode(allBits, mode));
  EXPECT_EQ(mode, -1);

  TMemoryRegistry withoutMode;
  withoutMode.AddKey(kEngineKey);
  std::string text = "stale";
  EXPECT_TRUE(EngineInstalled(withoutMode));
  EXPECT_FALSE(LoginModeText(withoutMode, kPlatformWin32NT, text));
  EXPECT_EQ(text, "");
}

TEST(EngineRegistryProbes, CollationPresentEmptyOrAbsent) {
  TMemoryRegistry registry = EngineMachine();
  std::string name;
  registry.SetString(kEngineKey, "DefaultCollationName", "");
  EXPECT_TRUE(EngineCollationName(registry, name = "stale"));
  EXPECT_EQ(name, "");

  TMemoryRegistry withoutName;
  withoutName.AddKey(kEngineKey);
  EXPECT_FALSE(EngineCollationName(withoutName, name = "stale"));
  EXPECT_EQ(name, "");
}

TEST(EngineRegistryProbes, WrongValueTypesRaise) {
  TMemoryRegistry registry = EngineMachine();
  registry.SetString(kEngineServiceKey, "Start", "2");
  registry.SetOther(kEngineKey, "LoginMode");
  registry.SetInteger(kEngineKey, "DefaultCollationName", 1);
  registry.SetInteger(kEngineClientSetupKey, "SQLPath", 1);
  TFakeLoader loader;
  std::int32_t number = 0;
  std::string text;
  EXPECT_THROW(EngineAutoStart(registry), std::runtime_error);
  EXPECT_THROW(EngineLoginMode(registry, number), std::runtime_error);
  EXPECT_THROW(EngineCollationName(registry, text), std::runtime_error);
  EXPECT_THROW(EngineServiceState(registry, loader, number), std::runtime_error);
}

TEST(EngineLibrary, PathFromSqlPath) {
  struct Case {
    bool keyPresent;
    const char* sqlPath;  // null: no "SQLPath" value
    std::string path;
  };
  const Case cases[] = {
      {true, "C:\\Program Files\\Microsoft SQL Server\\80\\Tools", kLibrary},
      {true, "C:\\Program Files\\Microsoft SQL Server\\80\\Tools\\", kLibrary},
      {true, "", "\\Binn\\w95scm.dll"},
      {true, nullptr, "w95scm.dll"},
      {false, nullptr, ""},
  };
  for (const Case& c : cases) {
    TMemoryRegistry registry;
    if (c.keyPresent) registry.AddKey(kEngineClientSetupKey);
    if (c.sqlPath) registry.SetString(kEngineClientSetupKey, "SQLPath", c.sqlPath);
    EXPECT_EQ(EngineLibraryPath(registry), c.path) << (c.sqlPath ? c.sqlPath : "(none)");
  }
}

TEST(EngineLibrary, ServiceStateByLibraryOutcome) {
  struct Case {
    const char* what;
    bool exists;
    TFakeLoader::Kind kind;
    bool called;
  };
  const Case cases[] = {
      {"no file", false, TFakeLoader::Kind::Answers, false},
      {"does not load", true, TFakeLoader::Kind::DoesNotLoad, false},
      {"no export", true, TFakeLoader::Kind::NoExport, false},
      {"answers", true, TFakeLoader::Kind::Answers, true},
  };
  for (const Case& c : cases) {
    TMemoryRegistry registry = EngineMachine();
    TFakeLoader loader;
    if (c.exists) loader.files[kLibrary] = {c.kind, 7};
    std::int32_t code = -5;
    EXPECT_EQ(EngineServiceState(registry, loader, code), c.called) << c.what;
    EXPECT_EQ(code, c.called ? 7 : -5) << c.what;
    EXPECT_EQ(loader.calls, c.called ? std::vector<std::string>{"MSSQLServer, null"} : std::vector<std::string>{})
        << c.what;
    EXPECT_EQ(loader.live, 0) << c.what << ": library not released";
  }
}

TEST(EngineLibrary, ReleasedWhenTheCallRaises) {
  TMemoryRegistry registry = EngineMachine();
  TFakeLoader loader;
  loader.files[kLibrary] = {TFakeLoader::Kind::Raises, 0};
  std::int32_t code = -5;
  EXPECT_THROW(EngineServiceState(registry, loader, code), std::runtime_error);
  EXPECT_EQ(loader.live, 0);
  EXPECT_EQ(code, -5);
}

// The file loaded is the file checked, by its absolute path, also when the
// registry gives no folder and the name is looked for in the current folder.
TEST(EngineLibrary, LoadsExactlyTheCheckedFile) {
  for (bool withSqlPath : {true, false}) {
    TMemoryRegistry registry = EngineMachine();
    if (!withSqlPath) {
      registry = TMemoryRegistry();
      registry.AddKey(kEngineClientSetupKey);
    }
    const std::string expected = withSqlPath ? kLibrary : "C:\\Work\\w95scm.dll";
    TFakeLoader loader;
    loader.files[expected] = {TFakeLoader::Kind::Answers, 1};
    std::string text;
    EXPECT_TRUE(EngineStateText(registry, loader, text));
    EXPECT_EQ(text, "Stop");
    EXPECT_EQ(loader.checked, std::vector<std::string>{expected});
    EXPECT_EQ(loader.loaded, std::vector<std::string>{expected});
  }
}

}  // namespace
}  // namespace lmr
