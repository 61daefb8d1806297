// Drives the wizard's window from outside, with window messages only, as a
// person would: gui_driver COMMAND-FILE. One command a line (texts UTF-8):
//   wait-window                  until the main window is shown (20 s)
//   click ID                     BM_CLICK, waiting for the handler (180 s)
//   settext ID TEXT              WM_SETTEXT
//   text ID TEXT                 the control's text must be TEXT
//   line ID N TEXT               list box line N must be TEXT
//   count ID N                   list box must hold N lines
//   enabled ID 0|1   visible ID 0|1
//   wait-gone                    until the main window is gone (20 s)
//   click-async ID               posts BM_CLICK and goes on at once, for a
//                                handler that opens a modal dialog
//   wait-dialog TITLE            until a top-level window of the wizard's
//                                process with that title (* = any dialog) shows (60 s);
//                                the dlg- commands act on it
//   dlg-settext ID TEXT   dlg-text ID TEXT   dlg-prefix ID TEXT   dlg-click ID
//   wait-dialog-gone             until that dialog is gone (20 s)
//   answer-all TITLE ID          once the main window is disabled by a stage
//                                (10 s), clicks ID in each dialog with that
//                                title as it shows, printing "box: TEXT" (the
//                                text of control 65535, a message box's text),
//                                until the main window is enabled again (120 s)
//   enabled-main 0|1             the main window itself is enabled or not
//   wait-enabled ID 0|1   wait-visible ID 0|1
//                                until the control is so (20 s), for a change
//                                that follows a handler started by click-async
//   close                        posts WM_CLOSE to the main window (its close box)
// Prints each failed check and exits 1 if any failed.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

HWND g_main = nullptr;
HWND g_dialog = nullptr;
int g_failures = 0;

std::wstring FromUtf8(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
  w.resize(n > 0 ? n - 1 : 0);
  return w;
}

std::string ToUtf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
  s.resize(n > 0 ? n - 1 : 0);
  return s;
}

void Check(bool ok, const std::string& line, const std::string& got) {
  if (ok) return;
  ++g_failures;
  std::printf("FAIL: %s (got: %s)\n", line.c_str(), got.c_str());
}

struct DialogSearch {
  DWORD process;
  std::wstring title;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND w, LPARAM arg) {
  auto* search = reinterpret_cast<DialogSearch*>(arg);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (w == g_main || pid != search->process || !IsWindowVisible(w)) return TRUE;
  wchar_t title[256] = {0};
  GetWindowTextW(w, title, 256);
  if (search->title != L"*" && search->title != title) return TRUE;
  wchar_t cls[64] = {0};
  GetClassNameW(w, cls, 64);
  if (search->title == L"*" && std::wstring(cls) != L"#32770") return TRUE;  // dialogs only
  search->found = w;
  return FALSE;
}

// A visible top-level window of the wizard's process, other than the main one.
HWND FindDialog(const std::wstring& title) {
  DialogSearch search{0, title, nullptr};
  GetWindowThreadProcessId(g_main, &search.process);
  EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ControlText(HWND c) {
  wchar_t buf[1024] = {0};
  SendMessageW(c, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
  return ToUtf8(buf);
}

bool ClickButton(HWND c) {
  DWORD_PTR r;
  return SendMessageTimeoutW(c, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &r) != 0;
}

std::string Rest(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  return rest;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: gui_driver COMMAND-FILE\n");
    return 2;
  }
  std::ifstream file(argv[1]);
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream in(line);
    std::string cmd;
    int id = 0;
    in >> cmd;
    if (cmd.empty() || cmd[0] == '#') continue;
    if (cmd == "wait-window") {
      // Shown only once its controls exist, so wait for visibility too.
      for (int i = 0; i < 200 && !(g_main && IsWindowVisible(g_main)); ++i) {
        g_main = FindWindowW(L"TfmMain", L"fmMain");
        if (!(g_main && IsWindowVisible(g_main))) Sleep(100);
      }
      Check(g_main != nullptr && IsWindowVisible(g_main), line, "no window");
      if (!g_main) break;
      continue;
    }
    if (cmd == "wait-gone") {
      int i = 0;
      while (IsWindow(g_main) && i++ < 200) Sleep(100);
      Check(!IsWindow(g_main), line, "still open");
      continue;
    }
    if (cmd == "wait-dialog") {
      std::wstring title = FromUtf8(Rest(in));
      g_dialog = nullptr;
      for (int i = 0; i < 600 && !g_dialog; ++i) {
        g_dialog = FindDialog(title);
        if (!g_dialog) Sleep(100);
      }
      Check(g_dialog != nullptr, line, "no dialog");
      continue;
    }
    if (cmd == "wait-dialog-gone") {
      int i = 0;
      while (IsWindow(g_dialog) && i++ < 200) Sleep(100);
      Check(!IsWindow(g_dialog), line, "still open");
      continue;
    }
    if (cmd == "close") {
      PostMessageW(g_main, WM_CLOSE, 0, 0);
      continue;
    }
    if (cmd == "enabled-main") {
      int want = 0;
      in >> want;
      bool got = IsWindowEnabled(g_main) != FALSE;
      Check(got == (want != 0), line, got ? "1" : "0");
      continue;
    }
    if (cmd == "answer-all") {
      std::string title;
      in >> title >> id;
      // A click posted just before may not have started its stage yet: wait
      // for the busy guard (or a box) first, so an idle window is not taken
      // for a finished stage.
      for (int j = 0; j < 1000 && IsWindowEnabled(g_main) && !FindDialog(FromUtf8(title)); ++j) Sleep(10);
      int i = 0;
      for (; i < 1200; ++i) {
        HWND box = FindDialog(FromUtf8(title));
        if (box) {
          std::printf("box: %s\n", ControlText(GetDlgItem(box, 65535)).c_str());
          std::fflush(stdout);
          HWND button = GetDlgItem(box, id);
          if (!button || !ClickButton(button)) break;
          for (int j = 0; j < 50 && IsWindow(box); ++j) Sleep(100);
          continue;
        }
        if (IsWindowEnabled(g_main)) break;
        Sleep(100);
      }
      Check(i < 1200 && IsWindowEnabled(g_main), line, "stage still busy");
      continue;
    }
    in >> id;
    const bool inDialog = cmd.rfind("dlg-", 0) == 0;
    if (inDialog) cmd.erase(0, 4);
    HWND c = GetDlgItem(inDialog ? g_dialog : g_main, id);
    // A window just found may still be creating its controls.
    for (int i = 0; !c && cmd.rfind("wait-", 0) == 0 && i < 200; ++i) {
      Sleep(100);
      c = GetDlgItem(inDialog ? g_dialog : g_main, id);
    }
    if (!c) {
      Check(false, line, "no such control");
      continue;
    }
    if (cmd == "click" && inDialog) {
      Check(ClickButton(c), line, "timed out");
    } else if (cmd == "click") {
      DWORD_PTR r;
      Check(SendMessageTimeoutW(c, BM_CLICK, 0, 0, SMTO_NORMAL, 180000, &r) != 0, line, "timed out");
    } else if (cmd == "click-async") {
      PostMessageW(c, BM_CLICK, 0, 0);
    } else if (cmd == "prefix") {
      std::string want = Rest(in);
      std::string got = ControlText(c);
      Check(got.compare(0, want.size(), want) == 0, line, got);
    } else if (cmd == "settext") {
      std::wstring w = FromUtf8(Rest(in));
      SendMessageW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
    } else if (cmd == "text") {
      std::string want = Rest(in);
      std::string got = ControlText(c);
      Check(got == want, line, got);
    } else if (cmd == "line") {
      int n = 0;
      in >> n;
      std::string want = Rest(in);
      wchar_t buf[512] = {0};
      SendMessageW(c, LB_GETTEXT, n, reinterpret_cast<LPARAM>(buf));
      Check(ToUtf8(buf) == want, line, ToUtf8(buf));
    } else if (cmd == "count") {
      int n = 0;
      in >> n;
      LRESULT got = SendMessageW(c, LB_GETCOUNT, 0, 0);
      Check(got == n, line, std::to_string(got));
    } else if (cmd == "enabled" || cmd == "visible" || cmd == "wait-enabled" || cmd == "wait-visible") {
      int want = 0;
      in >> want;
      const bool enabled = cmd == "enabled" || cmd == "wait-enabled";
      const int tries = cmd.rfind("wait-", 0) == 0 ? 200 : 1;
      bool got = false;
      for (int i = 0; i < tries; ++i) {
        got = enabled ? IsWindowEnabled(c) != FALSE : IsWindowVisible(c) != FALSE;
        if (got == (want != 0)) break;
        Sleep(100);
      }
      Check(got == (want != 0), line, got ? "1" : "0");
    } else {
      Check(false, line, "unknown command");
    }
  }
  return g_failures == 0 ? 0 : 1;
}
