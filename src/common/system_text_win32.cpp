#include <winsock2.h>
#include <windows.h>

#include "common/local_time.h"
#include "common/system_text.h"
#include "common/wide_win32.h"

namespace lmr {
namespace {

std::string MessageText(DWORD code) {
  wchar_t buffer[512] = {0};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                 buffer, 512, nullptr);
  return Narrow(buffer);
}

}  // namespace

std::string SystemErrorText() { return MessageText(GetLastError()); }
std::string SocketErrorText() { return MessageText(static_cast<DWORD>(WSAGetLastError())); }

std::string CurrentUserName() {
  wchar_t buffer[260] = {0};
  DWORD size = 260;
  GetUserNameW(buffer, &size);
  return Narrow(buffer);
}

std::string LocalComputerName() {
  wchar_t buffer[260] = {0};
  DWORD size = 260;
  GetComputerNameW(buffer, &size);
  return Narrow(buffer);
}

LocalTimeParts ReadLocalTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace lmr
