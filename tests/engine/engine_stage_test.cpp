// The engine stage over an in-memory registry and a fake library loader: the
// report section byte for byte, the progress marks, the flag and the wait.
#include "engine/engine_stage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/engine_fakes.h"
#include "shell/page_captions.h"
#include "test_support.h"

namespace lmr {
namespace {

using test::EngineMachine;
using test::kLibrary;
using test::TFakeLoader;
using test::TFakeProgressList;

// Counts the closings, which the report file, held without sharing while it
// is written, cannot show before the writer is gone.
class CountingWriter : public TTavXMLLogProvider {
 public:
  using TTavXMLLogProvider::TTavXMLLogProvider;
  void CloseNode(int index) override {
    ++closed;
    TTavXMLLogProvider::CloseNode(index);
  }
  int closed = 0;
};

struct StageRun {
  std::string report;
  std::vector<std::string> lines;
  std::vector<std::uint32_t> waits;
  int closedAtWait = -1;  // CloseNode calls made when the wait began
  std::string error;      // empty when the stage returned normally
  bool running;
};

const char kReport[] = "E.xml";
const std::string kHead = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<E.xml>\n\r";
const std::string kTail = "</MSDEOptions></E.xml>";

StageRun RunStage(TRegistry& registry, TLibraryLoader& loader, std::uint32_t platform, bool runningBefore) {
  StageRun r;
  r.running = runningBefore;
  TFakeProgressList list;
  FillProgressList(list, EngineStepCaptions());
  int current = -1;
  {
    CountingWriter writer(kReport);
    ProgressSteps steps(list, "Complite", current);
    StageHost host{writer, steps, [&](std::uint32_t ms) {
                       r.waits.push_back(ms);
                       r.closedAtWait = writer.closed;
                     }};
    try {
      RunEngineStage(host, registry, loader, platform, r.running);
    } catch (const std::exception& e) {
      r.error = e.what();
    }
  }
  r.report = test::ReadAll(kReport);
  r.lines = list.lines;
  return r;
}

// The section's five elements as the stage writes them.
std::string Section(const std::string& install, const std::string& autoStart, const std::string& state,
                    const std::string& loginMode, const std::string& collation) {
  return "<MSDEOptions><Install>" + install + "</Install>\r\n<AutoStart>" + autoStart +
         "</AutoStart>\r\n<State>" + state + "</State>\r\n<LoginMode>" + loginMode +
         "</LoginMode>\r\n<DefCollationName>" + collation + "</DefCollationName>\r\n";
}

// The progress lines after `marked` steps got their mark.
std::vector<std::string> Lines(std::size_t marked) {
  std::vector<std::string> lines = EngineStepCaptions();
  for (std::size_t n = 0; n < marked; ++n) lines[n] += "Complite";
  return lines;
}

TEST(RunEngineStage, SectionAndFlagByMachine) {
  struct Case {
    const char* what;
    std::function<void(TMemoryRegistry&)> machine;  // changes to the engine machine; null: no engine at all
    bool library;                                   // the library is at its place
    std::int32_t firstCode;
    std::vector<std::int32_t> laterCodes;
    std::uint32_t platform;
    std::string section;
    bool running;
  };
  const auto same = [](TMemoryRegistry&) {};
  const Case cases[] = {
      {"no engine", nullptr, false, 0, {}, kPlatformWin32NT,
       Section("No", "No", "Error", "Error", "Error"), false},
      {"running", same, true, 4, {}, kPlatformWin32NT,
       Section("Yes", "Yes", "Start", "Mixed Mode", "Cyrillic_General_CI_AS"), true},
      {"stopped", same, true, 1, {}, kPlatformWin32NT,
       Section("Yes", "Yes", "Stop", "Mixed Mode", "Cyrillic_General_CI_AS"), false},
      {"continuing", same, true, 2, {}, kPlatformWin32NT,
       Section("Yes", "Yes", "Continue", "Mixed Mode", "Cyrillic_General_CI_AS"), true},
      {"paused", same, true, 7, {}, kPlatformWin32NT,
       Section("Yes", "Yes", "Pause", "Mixed Mode", "Cyrillic_General_CI_AS"), false},
      {"state 3", same, true, 3, {}, kPlatformWin32NT,
       Section("Yes", "Yes", "Unknown", "Mixed Mode", "Cyrillic_General_CI_AS"), false},
      {"installed without the library", same, false, 0, {}, kPlatformWin32NT,
       Section("Yes", "Yes", "Error", "Mixed Mode", "Cyrillic_General_CI_AS"), false},
      {"stopped when shown, running when asked again", same, true, 1, {4}, kPlatformWin32NT,
       Section("Yes", "Yes", "Stop", "Mixed Mode", "Cyrillic_General_CI_AS"), true},
      {"running when shown, stopped when asked again", same, true, 4, {1}, kPlatformWin32NT,
       Section("Yes", "Yes", "Start", "Mixed Mode", "Cyrillic_General_CI_AS"), false},
      {"manual start, Windows authentication",
       [](TMemoryRegistry& r) {
         r.SetInteger(kEngineServiceKey, "Start", 3);
         r.SetInteger(kEngineKey, "LoginMode", 1);
       },
       true, 4, {}, kPlatformWin32NT,
       Section("Yes", "No", "Start", "Windows Authentication Mode", "Cyrillic_General_CI_AS"), true},
      {"login mode 0", [](TMemoryRegistry& r) { r.SetInteger(kEngineKey, "LoginMode", 0); }, true, 4, {},
       kPlatformWin32NT, Section("Yes", "Yes", "Start", "Mixed Mode", "Cyrillic_General_CI_AS"), true},
      {"login mode 5", [](TMemoryRegistry& r) { r.SetInteger(kEngineKey, "LoginMode", 5); }, true, 4, {},
       kPlatformWin32NT, Section("Yes", "Yes", "Start", "Unknown", "Cyrillic_General_CI_AS"), true},
      {"default login mode on NT",
       [](TMemoryRegistry& r) { r.SetInteger(kEngineKey, "LoginMode", 0xFFFFFFFFu); }, true, 4, {},
       kPlatformWin32NT,
       Section("Yes", "Yes", "Start", "The Microsoft Windows NT\xAE default is Windows Authentication Mode",
               "Cyrillic_General_CI_AS"),
       true},
      {"default login mode on 9x",
       [](TMemoryRegistry& r) { r.SetInteger(kEngineKey, "LoginMode", 0xFFFFFFFFu); }, true, 4, {},
       kPlatformWin32Windows,
       Section("Yes", "Yes", "Start", "The Microsoft Windows 9x default is Mixed Mode, with no sa password",
               "Cyrillic_General_CI_AS"),
       true},
      {"no login mode, empty collation, disabled service",
       [](TMemoryRegistry& r) {
         TMemoryRegistry fresh;
         fresh.SetString(kEngineKey, "DefaultCollationName", "");
         fresh.SetInteger(kEngineServiceKey, "Start", 4);
         fresh.SetString(kEngineClientSetupKey, "SQLPath", "C:\\Program Files\\Microsoft SQL Server\\80\\Tools\\");
         r = fresh;
       },
       true, 4, {}, kPlatformWin32NT, Section("Yes", "No", "Start", "Error", ""), true},
      {"keys that grant reading only", [](TMemoryRegistry& r) { r = EngineMachine(kKeyRead); }, true, 4, {},
       kPlatformWin32NT, Section("Yes", "Yes", "Start", "Mixed Mode", "Cyrillic_General_CI_AS"), true},
  };
  for (const Case& c : cases) {
    TMemoryRegistry registry;
    if (c.machine) {
      registry = EngineMachine();
      c.machine(registry);
    }
    TFakeLoader loader;
    if (c.library) loader.files[kLibrary] = {TFakeLoader::Kind::Answers, c.firstCode};
    loader.laterCodes = c.laterCodes;
    // The flag starts opposite to the expected one, so leaving it alone fails.
    StageRun r = RunStage(registry, loader, c.platform, !c.running);
    EXPECT_EQ(r.error, "") << c.what;
    EXPECT_EQ(r.report, kHead + c.section + kTail) << c.what;
    EXPECT_EQ(r.running, c.running) << c.what;
    EXPECT_EQ(r.lines, Lines(5)) << c.what;
    EXPECT_EQ(r.waits, std::vector<std::uint32_t>{1000}) << c.what;
    EXPECT_EQ(r.closedAtWait, 1) << c.what << ": the wait must follow the section's closing";
    // The state is asked twice, each time loading and releasing the library.
    const std::vector<std::string> twice = {"MSSQLServer, null", "MSSQLServer, null"};
    EXPECT_EQ(loader.calls, c.library ? twice : std::vector<std::string>{}) << c.what;
    EXPECT_EQ(loader.live, 0) << c.what;
  }
}

// A probe that raises leaves the stage with its own error: the lines reached
// are marked, the section is closed, later steps and the wait do not happen.
TEST(RunEngineStage, RaisingProbeEndsTheStageCleanly) {
  struct Case {
    const char* what;
    std::function<void(TMemoryRegistry&, TFakeLoader&)> setup;
    std::string error;
    std::size_t stepsReached;
    std::string written;  // the section's elements before its end tag
    bool running;
  };
  const Case cases[] = {
      {"Start stored as a string",
       [](TMemoryRegistry& r, TFakeLoader&) { r.SetString(kEngineServiceKey, "Start", "2"); },
       "Registry value \"Start\" of key \"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\MSSQLSERVER\" "
       "is not a 4-byte integer",
       2, "<MSDEOptions><Install>Yes</Install>\r\n", true},
      {"SQLPath stored as an integer",
       [](TMemoryRegistry& r, TFakeLoader&) { r.SetInteger(kEngineClientSetupKey, "SQLPath", 1); },
       "Registry value \"SQLPath\" of key \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft SQL "
       "Server\\80\\Tools\\ClientSetup\" is not a string",
       3, "<MSDEOptions><Install>Yes</Install>\r\n<AutoStart>Yes</AutoStart>\r\n", true},
      {"the library's call raises",
       [](TMemoryRegistry&, TFakeLoader& l) { l.files[kLibrary] = {TFakeLoader::Kind::Raises, 0}; },
       "access violation", 3, "<MSDEOptions><Install>Yes</Install>\r\n<AutoStart>Yes</AutoStart>\r\n", true},
      {"LoginMode of another type",
       [](TMemoryRegistry& r, TFakeLoader& l) {
         r.SetOther(kEngineKey, "LoginMode");
         l.files[kLibrary] = {TFakeLoader::Kind::Answers, 1};
       },
       "Registry value \"LoginMode\" of key \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\" "
       "is not a 4-byte integer",
       4, "<MSDEOptions><Install>Yes</Install>\r\n<AutoStart>Yes</AutoStart>\r\n<State>Stop</State>\r\n", false},
      {"DefaultCollationName stored as an integer",
       [](TMemoryRegistry& r, TFakeLoader& l) {
         r.SetInteger(kEngineKey, "DefaultCollationName", 1);
         l.files[kLibrary] = {TFakeLoader::Kind::Answers, 4};
       },
       "Registry value \"DefaultCollationName\" of key "
       "\"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\" is not a string",
       5,
       "<MSDEOptions><Install>Yes</Install>\r\n<AutoStart>Yes</AutoStart>\r\n<State>Start</State>\r\n"
       "<LoginMode>Mixed Mode</LoginMode>\r\n",
       true},
  };
  for (const Case& c : cases) {
    TMemoryRegistry registry = EngineMachine();
    TFakeLoader loader;
    c.setup(registry, loader);
    StageRun r = RunStage(registry, loader, kPlatformWin32NT, !c.running);
    EXPECT_EQ(r.error, c.error) << c.what;
    EXPECT_EQ(r.report, kHead + c.written + kTail) << c.what;
    EXPECT_EQ(r.lines, Lines(c.stepsReached)) << c.what;
    EXPECT_EQ(r.running, c.running) << c.what;
    EXPECT_TRUE(r.waits.empty()) << c.what;
    EXPECT_EQ(loader.live, 0) << c.what;
  }
}

}  // namespace
}  // namespace lmr
