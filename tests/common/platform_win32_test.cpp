// The Win32 adapters of the utilities, against the real system under Wine.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "common/control_tree_win32.h"
#include "common/system_text.h"
#include "common/wait_pumping.h"

namespace lmr {
namespace {

TEST(SystemTextWin32, ErrorTextsComeFromTheSystemForTheCurrentCode) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  const std::string sys = SystemErrorText();
  EXPECT_NE(sys.find("not found"), std::string::npos) << sys;
  EXPECT_EQ(sys.substr(sys.size() - 2), "\r\n");
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_NE(SystemErrorText(), sys);
  WSASetLastError(WSAECONNREFUSED);
  EXPECT_FALSE(SocketErrorText().empty());
}

TEST(SystemTextWin32, NamesMatchTheSystem) {
  wchar_t user[260] = {0};
  DWORD size = 260;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_FALSE(CurrentUserName().empty());
  EXPECT_EQ(CurrentUserName().size(), wcslen(user));
  EXPECT_FALSE(LocalComputerName().empty());
}

LRESULT CALLBACK CountingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  return DefWindowProcW(h, msg, wp, lp);
}

HWND MakeWindow(const wchar_t* cls, HWND parent, WNDPROC proc) {
  if (proc) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
  }
  return CreateWindowExW(0, cls, L"", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 10, 10, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(WaitPumpingWin32, ProcessesMessagesUntilTheDeadline) {
  HWND w = MakeWindow(L"LmrCounting", nullptr, &CountingProc);
  int handled = 0;
  SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handled));
  PostMessageW(w, WM_APP, 0, 0);
  const DWORD start = GetTickCount();
  WaitPumping(300);
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(handled, 1);
  EXPECT_GE(took, 290u);
  EXPECT_LT(took, 2000u);
  PostMessageW(w, WM_APP, 0, 0);
  WaitPumping(0);  // returns at once without processing
  EXPECT_EQ(handled, 1);
  DestroyWindow(w);
}

TEST(BusyGuardWin32, RealWindowsKeepTheirEarlierState) {
  HWND top = MakeWindow(L"LmrGuardTop", nullptr, &DefWindowProcW);
  HWND panel = MakeWindow(L"STATIC", top, nullptr);
  HWND a = CreateWindowExW(0, L"BUTTON", L"a", WS_CHILD, 0, 0, 5, 5, panel, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_DISABLED, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
  WindowControl root(top);
  DisableControlTree(root);
  for (HWND h : {top, panel, a, b}) EXPECT_FALSE(IsWindowEnabled(h));
  RestoreControlTree(root);
  for (HWND h : {top, panel, a}) EXPECT_TRUE(IsWindowEnabled(h));
  EXPECT_FALSE(IsWindowEnabled(b));
  DestroyWindow(top);
}

}  // namespace
}  // namespace lmr
