// Under Wine: the database stage through Wine's odbc32 (which hands the W
// calls to the host's unixODBC and FreeTDS) against the TDS stand-in that
// with-standin.sh runs, and the SA password prompt as a real dialog.
#include <windows.h>

#include <gtest/gtest.h>


#include "common/text1251.h"
#include "common/wide_win32.h"
#include "database/database_stage.h"
#include "database/odbc_connection.h"
#include "database/password_prompt_win32.h"
#include "scripted_prompt.h"
#include "shell/fake_progress_list.h"
#include "shell/page_captions.h"
#include "test_support.h"

namespace lmr {
namespace {

// The stand-in serves wine_fixture.json: SA's password is "S3cret;x".
std::string StandinServer() {
  const char* port = std::getenv("LMR_STANDIN_PORT");
  if (!port) throw std::runtime_error("LMR_STANDIN_PORT is not set: run under with-standin.sh");
  return std::string("127.0.0.1,") + port;
}

std::string V(const std::string& name, const std::string& value) {
  return "<" + name + ">" + value + "</" + name + ">\r\n";
}

TEST(OdbcUnderWine, ReadsCyrillicNamesAndTheDriversMessages) {
  auto product = BuildConnection(&CreateOdbcConnection, StandinServer(), "School", "Lumaro", "Brevanto");
  std::vector<std::string> names;
  ASSERT_TRUE(TryConnect(product.get()));
  ASSERT_TRUE(ListFunctions(product.get(), names));
  EXPECT_EQ(names, (std::vector<std::string>{"CalcA", "CalcB", "\xD0\xE0\xF1\xF7\xB8\xF2"}));
  auto refused = BuildConnection(&CreateOdbcConnection, StandinServer(), "Master", "SA", "S3cret");
  try {
    refused->Open();
    ADD_FAILURE() << "opened with a wrong password";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("Login failed for user 'SA'."), std::string::npos) << e.what();
  }
}

TEST(DatabaseStageUnderWine, SectionAfterWrongThenRightPassword) {
  test::WriteAll("DBObjects_Func.txt", "calca\r\n");
  std::remove("DBObjects_Proc.txt");
  std::remove("DBObjects_Table.txt");
  InstallationResult slots;
  slots.ServerConfigFound = true;
  slots.DbServer1 = slots.DbServer5 = slots.DbServer4 = StandinServer();
  slots.DbName1 = "Tav";
  slots.DbName5 = "School";
  slots.DbName4 = "Search";
  test::FakeProgressList list;
  FillProgressList(list, DatabaseStepCaptions());
  int current = -1;
  test::ScriptedPrompt prompt({"S3cret", "S3cret;x"});
  std::unique_ptr<DbConnection> product;
  std::vector<std::uint32_t> waits;
  {
    TTavXMLLogProvider writer("W.xml");
    ProgressSteps steps(list, "Complete", current);
    StageHost host{writer, steps, [&](std::uint32_t ms) { waits.push_back(ms); }};
    RunDatabaseStage(host, true, slots, &CreateOdbcConnection, prompt, product);
  }
  const std::string section =
      "<DataBaseOptions>" + V("MasterDB_Connected", "Yes") + V("Exist_Tav", "Yes") + V("Exist_School", "Yes") +
      V("Exist_Search", "Yes") + V("Exist_", "No") + V("Exist_", "No") + V("Exist_", "No") +
      V("Tav_Connected", "Yes") + V("School_Connected", "Yes") + V("Search_Connected", "Yes") +
      V("Access_Lumaro_To_TavDB", "Yes") + V("Access_Lumaro_To_SchoolDB", "Yes") +
      V("Access_Lumaro_To_SearchDB", "No") + "<Functions_Not_Found>" + V("F", "CalcB") +
      V("F", "\xD0\xE0\xF1\xF7\xB8\xF2") + "</Functions_Not_Found></DataBaseOptions>";
  EXPECT_EQ(test::ReadAll("W.xml"),
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<W.xml>\n\r" + section + "</W.xml>");
  EXPECT_EQ(prompt.shown, (std::vector<std::string>{"", "S3cret"}));
  EXPECT_EQ(waits, std::vector<std::uint32_t>{1000});
  ASSERT_TRUE(product);
  EXPECT_TRUE(product->IsOpen());
}

// Plays the user at the prompt from another thread: reads what the dialog
// shows, types the answer and presses the button.
struct PromptUser {
  std::wstring typed;
  int button;
  std::wstring caption, request, shownText;
  bool found = false;

  static DWORD WINAPI Run(void* self) {
    auto* user = static_cast<PromptUser*>(self);
    user->Answer(user->typed, user->button);
    return 0;
  }

  void Answer(const std::wstring& typed, int button) {
    const std::wstring title = Wide(Utf8To1251("Ошибка"));
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !dialog; ++i) {
      Sleep(50);
      dialog = FindWindowW(L"#32770", title.c_str());
    }
    if (!dialog) return;
    found = true;
    wchar_t text[256] = {0};
    GetWindowTextW(dialog, text, 256);
    caption = text;
    GetDlgItemTextW(dialog, 100, text, 256);
    request = text;
    GetDlgItemTextW(dialog, kPasswordEditId, text, 256);
    shownText = text;
    SetDlgItemTextW(dialog, kPasswordEditId, typed.c_str());
    PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  }
};

TEST(SaPasswordDialog, ShowsTheCurrentPasswordAndReturnsTheTypedOne) {
  struct Case {
    int button;
    bool confirmed;
    std::string password;  // afterwards
  };
  const Case cases[] = {{IDOK, true, "\xED\xEE\xE2\xFB\xE9;}"}, {IDCANCEL, false, "old;pass"}};
  for (const Case& c : cases) {
    // The owner is disabled, as the busy guard leaves the window; the prompt
    // must not enable it on closing.
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EnableWindow(owner, FALSE);
    SaPasswordDialog dialog(owner);
    PromptUser user{Wide("\xED\xEE\xE2\xFB\xE9;}"), c.button};
    HANDLE thread = CreateThread(nullptr, 0, &PromptUser::Run, &user, 0, nullptr);
    std::string password = "old;pass";
    const bool confirmed = dialog.Ask(password);
    WaitForSingleObject(thread, 20000);
    CloseHandle(thread);
    ASSERT_TRUE(user.found) << "no dialog titled \"Ошибка\" appeared";
    EXPECT_EQ(confirmed, c.confirmed);
    EXPECT_EQ(password, c.password);
    EXPECT_EQ(Narrow(user.caption), Utf8To1251("Ошибка"));
    EXPECT_EQ(Narrow(user.request), Utf8To1251("Введите пароль пользователя SA для MSDE."));
    EXPECT_EQ(Narrow(user.shownText), "old;pass");
    EXPECT_FALSE(IsWindowEnabled(owner));
    DestroyWindow(owner);
  }
}

}  // namespace
}  // namespace lmr
