// The network probes against the real Windows calls (run under Wine): the
// adapter table also when the first ask is too small, the Administrators
// check with a group list read into a tiny first buffer, the network and
// internet states, and the port probe on the product's ports.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "network/network_utils_win32.h"
#include "online/loopback_server.h"

namespace lmr {
namespace {

std::vector<std::string> Names(const TAdaptersStructList& list) {
  std::vector<std::string> names;
  for (const auto& a : list) names.push_back(a.AdapterName);
  return names;
}

TEST(NetworkPlatform, AdapterTableAsTheSystemGivesIt) {
  TAdaptersStructList list;
  GetAdaptersList(list);
  ASSERT_FALSE(list.empty());
  ULONG size = 0;
  const DWORD rc = GetAdaptersInfo(nullptr, &size);
  if (rc == ERROR_NO_DATA) {
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].AdapterName, "");
    return;
  }
  ASSERT_EQ(rc, static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
  std::vector<std::uint8_t> table(size);
  ASSERT_EQ(GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(table.data()), &size), static_cast<DWORD>(NO_ERROR));
  std::vector<std::string> expected;
  for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(table.data()); a; a = a->Next) expected.push_back(a->AdapterName);
  EXPECT_EQ(Names(list), expected);
  for (const auto& a : list) {
    SCOPED_TRACE(a.AdapterName + " " + a.Description);
    std::printf("adapter %s (%s): %s/%s\n", a.AdapterName.c_str(), a.Description.c_str(),
                a.IpAddressList.at(0).IpAddress.c_str(), a.IpAddressList.at(0).IpMask.c_str());
    EXPECT_FALSE(a.AdapterName.empty());
    EXPECT_NE(a.IpAddressList.at(0).IpAddress, "");
    EXPECT_NE(a.IpAddressList.at(0).IpAddress, "127.0.0.1") << "the loopback is no adapter of this table";
  }
  // A first ask with no room at all grows to the size the call reports.
  TAdaptersStructList grown;
  ReadAdapterTable(0, grown);
  EXPECT_EQ(Names(grown), expected);
}

TEST(NetworkPlatform, AdministratorUnderWine) {
  EXPECT_TRUE(CurrentUserIsAdmin());
  EXPECT_TRUE(TokenHasAdministrators(1)) << "the group list did not grow past a one-byte first ask";
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                       0, 0, &admins));
  EXPECT_EQ(std::string(static_cast<const char*>(admins), GetLengthSid(admins)), AdministratorsSid());
  FreeSid(admins);
}

TEST(NetworkPlatform, NetworkAndInternetStates) {
  EXPECT_TRUE(NetworkPresent());
  std::uint32_t flags = 0xDEADBEEF;
  const bool connected = InternetConnectionState(flags);
  std::printf("internet connection state: %d, flags %u (%s)\n", connected, flags,
              InternetConnectionKindText(flags).c_str());
  if (connected) {
    EXPECT_NE(flags, 0xDEADBEEFu);
  } else {
    EXPECT_EQ(flags, 0xDEADBEEFu) << "flags are written only with a true answer";
  }
}

TEST(NetworkPlatform, ProductPortsOpenOnlyWithAListener) {
  loopback::TWinsock winsock;
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(42424);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << "port 42424 is taken";
  ASSERT_EQ(listen(listener, 1), 0);
  EXPECT_TRUE(IsLocalPortOpen(42424));
  EXPECT_FALSE(IsLocalPortOpen(42425));
  closesocket(listener);
}

}  // namespace
}  // namespace lmr
