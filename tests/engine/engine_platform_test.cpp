// The registry and library adapters on Windows (under Wine in the test run):
// registry entries written into the test prefix, and a stand-in service-control
// library built beside this test in standin\Binn.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/wide_win32.h"
#include "engine/engine_fakes.h"
#include "engine/engine_probes.h"
#include "engine/engine_stage.h"
#include "shell/page_captions.h"
#include "test_support.h"

namespace lmr {
namespace {

const wchar_t kScratchKey[] = L"SOFTWARE\\LMRTSWizardTests\\Engine";

HKEY CreateKey(const std::string& path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS)
      << path;
  return key;
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetDword(HKEY key, const wchar_t* name, DWORD number) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// Deletes the keys in the order given, each after its subkeys.
void DeleteKeys(const std::vector<std::string>& leafFirst) {
  for (const std::string& path : leafFirst) RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(path).c_str());
}

std::string CurrentFolder() {
  wchar_t buffer[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, buffer);
  return Narrow(buffer);
}

TEST(RegistryAdapter, ReadsValuesOfTheMachineRegistry) {
  HKEY key = CreateKey(Narrow(kScratchKey));
  SetString(key, L"Text", L"\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430");  // "Кириллица"
  SetString(key, L"Empty", L"");
  SetDword(key, L"AllBits", 0xFFFFFFFFu);
  const BYTE blob[] = {1, 2, 3, 4};
  RegSetValueExW(key, L"Blob", 0, REG_BINARY, blob, sizeof blob);
  RegCloseKey(key);

  {
    TRegistryReader reader(MachineRegistry(), Narrow(kScratchKey));
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.ReadString("Text"), "\xCA\xE8\xF0\xE8\xEB\xEB\xE8\xF6\xE0");
    EXPECT_EQ(reader.ReadString("Empty"), "");
    EXPECT_EQ(reader.ReadInteger("AllBits"), -1);
    EXPECT_FALSE(reader.HasValue("Missing"));
    try {
      reader.ReadInteger("Blob");
      ADD_FAILURE() << "a binary value read as an integer";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()),
                "Registry value \"Blob\" of key \"HKEY_LOCAL_MACHINE\\SOFTWARE\\LMRTSWizardTests\\Engine\" "
                "is not a 4-byte integer");
    }
    EXPECT_THROW(reader.ReadString("AllBits"), std::runtime_error);
  }
  EXPECT_FALSE(TRegistryReader(MachineRegistry(), "SOFTWARE\\LMRTSWizardTests\\Absent").IsOpen());
  DeleteKeys({Narrow(kScratchKey), "SOFTWARE\\LMRTSWizardTests"});
}

// The whole probe path on the engine's own keys, first absent, then with the
// stand-in library answering each state code.
TEST(EngineProbesOnWindows, AbsentThenInstalledEngine) {
  TRegistry& registry = MachineRegistry();
  TLibraryLoader& loader = MachineLibraryLoader();
  std::string text = "stale";
  EXPECT_FALSE(EngineInstalled(registry));
  EXPECT_FALSE(EngineAutoStart(registry));
  EXPECT_FALSE(EngineStateText(registry, loader, text));
  EXPECT_FALSE(LoginModeText(registry, MachinePlatformId(), text));
  EXPECT_FALSE(EngineCollationName(registry, text));

  HKEY engine = CreateKey(kEngineKey);
  SetDword(engine, L"LoginMode", 0xFFFFFFFFu);
  SetString(engine, L"DefaultCollationName", L"Cyrillic_General_CI_AS");
  RegCloseKey(engine);
  HKEY service = CreateKey(kEngineServiceKey);
  SetDword(service, L"Start", 2);
  RegCloseKey(service);
  HKEY clientSetup = CreateKey(kEngineClientSetupKey);
  SetString(clientSetup, L"SQLPath", Wide(CurrentFolder() + "\\standin"));
  RegCloseKey(clientSetup);

  EXPECT_TRUE(EngineInstalled(registry));
  EXPECT_TRUE(EngineAutoStart(registry));
  EXPECT_TRUE(LoginModeText(registry, MachinePlatformId(), text));
  EXPECT_EQ(text, "The Microsoft Windows NT\xAE default is Windows Authentication Mode");
  EXPECT_TRUE(EngineCollationName(registry, text));
  EXPECT_EQ(text, "Cyrillic_General_CI_AS");
  for (const auto& [code, expected] : {std::pair<const char*, const char*>{"4", "Start"}, {"1", "Stop"}}) {
    SetEnvironmentVariableA("LMR_STANDIN_STATE", code);
    EXPECT_TRUE(EngineStateText(registry, loader, text)) << code;
    EXPECT_EQ(text, expected) << code;
    EXPECT_EQ(GetModuleHandleW(L"w95scm.dll"), nullptr) << "library not released";
  }

  // Without "SQLPath" the library is the one in the current folder.
  clientSetup = CreateKey(kEngineClientSetupKey);
  RegDeleteValueW(clientSetup, L"SQLPath");
  RegCloseKey(clientSetup);
  const std::string testFolder = CurrentFolder();
  EXPECT_FALSE(EngineStateText(registry, loader, text));
  SetCurrentDirectoryW(Wide(testFolder + "\\standin\\Binn").c_str());
  std::int32_t code = 0;
  EXPECT_TRUE(EngineServiceState(registry, loader, code));
  EXPECT_EQ(code, 1);
  SetCurrentDirectoryW(Wide(testFolder).c_str());

  DeleteKeys({kEngineKey, kEngineServiceKey, kEngineClientSetupKey});
}

// The stage on the machine's registry and loader: a machine without the
// engine, then the engine installed with its service running and stopped.
TEST(EngineStageOnWindows, SectionAndFlagForAbsentRunningAndStoppedEngine) {
  struct Case {
    const char* what;
    const char* stateCode;  // null: no engine installed
    std::string section;
    bool running;
  };
  const std::string installed = "<Install>Yes</Install>\r\n<AutoStart>Yes</AutoStart>\r\n";
  const std::string settings =
      "<LoginMode>The Microsoft Windows NT\xAE default is Windows Authentication Mode</LoginMode>\r\n"
      "<DefCollationName>Cyrillic_General_CI_AS</DefCollationName>\r\n";
  const Case cases[] = {
      {"no engine", nullptr,
       "<Install>No</Install>\r\n<AutoStart>No</AutoStart>\r\n<State>Error</State>\r\n"
       "<LoginMode>Error</LoginMode>\r\n<DefCollationName>Error</DefCollationName>\r\n",
       false},
      {"running", "4", installed + "<State>Start</State>\r\n" + settings, true},
      {"stopped", "1", installed + "<State>Stop</State>\r\n" + settings, false},
  };
  for (const Case& c : cases) {
    if (c.stateCode) {
      HKEY engine = CreateKey(kEngineKey);
      SetDword(engine, L"LoginMode", 0xFFFFFFFFu);
      SetString(engine, L"DefaultCollationName", L"Cyrillic_General_CI_AS");
      RegCloseKey(engine);
      HKEY service = CreateKey(kEngineServiceKey);
      SetDword(service, L"Start", 2);
      RegCloseKey(service);
      HKEY clientSetup = CreateKey(kEngineClientSetupKey);
      SetString(clientSetup, L"SQLPath", Wide(CurrentFolder() + "\\standin\\"));
      RegCloseKey(clientSetup);
      SetEnvironmentVariableA("LMR_STANDIN_STATE", c.stateCode);
    }
    test::TFakeProgressList list;
    FillProgressList(list, EngineStepCaptions());
    int current = -1;
    bool running = !c.running;
    std::vector<std::uint32_t> waits;
    {
      TTavXMLLogProvider writer("W.xml");
      ProgressSteps steps(list, "Complite", current);
      StageHost host{writer, steps, [&](std::uint32_t ms) { waits.push_back(ms); }};
      RunEngineStage(host, MachineRegistry(), MachineLibraryLoader(), MachinePlatformId(), running);
    }
    DeleteKeys({kEngineKey, kEngineServiceKey, kEngineClientSetupKey});
    EXPECT_EQ(test::ReadAll("W.xml"), "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<W.xml>\n\r<MSDEOptions>" +
                                          c.section + "</MSDEOptions></W.xml>")
        << c.what;
    EXPECT_EQ(running, c.running) << c.what;
    EXPECT_EQ(list.lines, (std::vector<std::string>{"Install: Complite", "Auto-Start State: Complite",
                                                    "Action State: Complite", "Login Mode: Complite",
                                                    "Default Collation Name: Complite"}))
        << c.what;
    EXPECT_EQ(waits, std::vector<std::uint32_t>{1000}) << c.what;
    EXPECT_EQ(GetModuleHandleW(L"w95scm.dll"), nullptr) << c.what << ": library not released";
  }
}

}  // namespace
}  // namespace lmr
