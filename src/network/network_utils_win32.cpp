#include "network/network_utils_win32.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace lmr {

void ReadAdapterTable(std::uint32_t firstSize, TAdaptersStructList& list) {
  bool filled = false;
  const std::vector<std::uint8_t> table = ReadSizedBlock(
      firstSize,
      [](std::uint8_t* buffer, std::uint32_t& size) {
        ULONG length = size;
        const DWORD rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer), &length);
        size = length;
        if (rc == NO_ERROR) return BlockAnswer::Filled;
        return rc == ERROR_BUFFER_OVERFLOW ? BlockAnswer::TooSmall : BlockAnswer::Failed;
      },
      filled);
  if (filled) {
    ReadAdapterChain(*reinterpret_cast<const IP_ADAPTER_INFO*>(table.data()), list);
  } else {
    const IP_ADAPTER_INFO none = {};  // no adapter: one empty record
    ReadAdapterChain(none, list);
  }
}

void GetAdaptersList(TAdaptersStructList& list) { ReadAdapterTable(kAdapterTableSize, list); }

bool TokenHasAdministrators(std::uint32_t firstSize) {
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN) return false;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  }
  bool filled = false;
  const std::vector<std::uint8_t> block = ReadSizedBlock(
      firstSize,
      [token](std::uint8_t* buffer, std::uint32_t& size) {
        DWORD needed = 0;
        if (GetTokenInformation(token, TokenGroups, buffer, size, &needed)) return BlockAnswer::Filled;
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_BAD_LENGTH) return BlockAnswer::Failed;
        size = needed;
        return BlockAnswer::TooSmall;
      },
      filled);
  CloseHandle(token);
  if (!filled) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(block.data());
  std::vector<std::string> sids;
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    PSID sid = groups->Groups[i].Sid;
    if (IsValidSid(sid)) sids.emplace_back(static_cast<const char*>(sid), GetLengthSid(sid));
  }
  return ContainsAdministrators(sids);
}

bool CurrentUserIsAdmin() { return TokenHasAdministrators(kTokenGroupsSize); }

bool NetworkPresent() { return (GetSystemMetrics(SM_NETWORK) & 1) != 0; }

bool InternetConnectionState(std::uint32_t& flags) {
  DWORD state = 0;
  if (!InternetGetConnectedState(&state, 0)) return false;
  flags = state;
  return true;
}

}  // namespace lmr
