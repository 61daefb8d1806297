// The portable parts of the local network probes: the adapter table
// conversion over hand-built record chains, the sized reads of system tables,
// the Administrators check, the connection kind table, and the port probe
// against real loopback sockets.
#include "network/network_utils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "network/adapter_records.h"
#include "online/loopback_server.h"

namespace lmr {
namespace {

using test::PutAddress;
using test::TAdapterRecord;
using test::TAddressRecord;

void ExpectOneEmptyEntry(const TIPAdderessStructList& list, const char* what) {
  ASSERT_EQ(list.size(), 1u) << what;
  EXPECT_EQ(list[0].IpAddress, "") << what;
  EXPECT_EQ(list[0].IpMask, "") << what;
  EXPECT_EQ(list[0].Context, 0u) << what;
}

TEST(ReadAdapterChain, ZeroRecordGivesOneEmptyAdapter) {
  const TAdapterRecord none;
  TAdaptersStructList list(3);  // whatever the caller held goes
  ReadAdapterChain(none, list);
  ASSERT_EQ(list.size(), 1u);
  const TAdaptersStruct& a = list[0];
  EXPECT_EQ(a.AdapterName, "");
  EXPECT_EQ(a.Description, "");
  EXPECT_EQ(a.Address, std::vector<std::uint8_t>(8, 0));
  EXPECT_EQ(a.CurrentIpAddress, "");
  EXPECT_FALSE(a.HaveWins);
  EXPECT_EQ(a.ComboIndex + a.AddressLength + a.Index + a.Type + a.DhcpEnabled, 0u);
  EXPECT_EQ(a.LeaseObtained, 0);
  EXPECT_EQ(a.LeaseExpires, 0);
  ExpectOneEmptyEntry(a.IpAddressList, "IpAddressList");
  ExpectOneEmptyEntry(a.GatewayList, "GatewayList");
  ExpectOneEmptyEntry(a.DhcpServer, "DhcpServer");
  ExpectOneEmptyEntry(a.PrimaryWinsServer, "PrimaryWinsServer");
  ExpectOneEmptyEntry(a.SecondaryWinsServer, "SecondaryWinsServer");
}

TEST(ReadAdapterChain, EveryFieldOfTwoChainedAdapters) {
  TAdapterRecord first, second;
  first.Next = &second;
  first.ComboIndex = 7;
  test::Put(first.AdapterName, " {4D36E972-E325-11CE-BFC1-08002BE10318}\t");
  test::Put(first.Description, "Realtek PCIe GBE Family Controller    \r\n");
  first.AddressLength = 6;
  const std::uint8_t mac[8] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0xEE, 0xFF};  // beyond the length, still copied
  std::memcpy(first.Address, mac, 8);
  first.Index = 11;
  first.Type = 6;
  first.DhcpEnabled = 1;
  TAddressRecord secondAddress;
  PutAddress(first.IpAddressList, "192.168.1.10", "255.255.255.0", 0x1234);
  PutAddress(secondAddress, "10.0.0.5", "255.0.0.0", 0x5678);
  first.IpAddressList.Next = &secondAddress;
  first.CurrentIpAddress = &secondAddress;
  PutAddress(first.GatewayList, "192.168.1.1", "0.0.0.0", 0);
  PutAddress(first.DhcpServer, "192.168.1.1", "255.255.255.255", 0);
  first.HaveWins = 1;
  PutAddress(first.PrimaryWinsServer, "192.168.1.2", "255.255.255.255", 0);
  PutAddress(first.SecondaryWinsServer, "192.168.1.3", "255.255.255.255", 0);
  first.LeaseObtained = 1765000000;
  first.LeaseExpires = 1765086400;
  test::Put(second.AdapterName, "{B2}");
  second.Index = 12;

  TAdaptersStructList list;
  ReadAdapterChain(first, list);
  ASSERT_EQ(list.size(), 2u);
  const TAdaptersStruct& a = list[0];
  EXPECT_EQ(a.ComboIndex, 7u);
  EXPECT_EQ(a.AdapterName, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(a.Description, "Realtek PCIe GBE Family Controller");
  EXPECT_EQ(a.AddressLength, 6u);
  EXPECT_EQ(a.Address, std::vector<std::uint8_t>(mac, mac + 8));
  EXPECT_EQ(a.Index, 11u);
  EXPECT_EQ(a.Type, 6u);
  EXPECT_EQ(a.DhcpEnabled, 1u);
  EXPECT_EQ(a.CurrentIpAddress, "10.0.0.5");
  ASSERT_EQ(a.IpAddressList.size(), 2u);
  EXPECT_EQ(a.IpAddressList[0].IpAddress, "192.168.1.10");
  EXPECT_EQ(a.IpAddressList[0].IpMask, "255.255.255.0");
  EXPECT_EQ(a.IpAddressList[0].Context, 0x1234u);
  EXPECT_EQ(a.IpAddressList[1].IpAddress, "10.0.0.5");
  EXPECT_EQ(a.IpAddressList[1].IpMask, "255.0.0.0");
  EXPECT_EQ(a.IpAddressList[1].Context, 0x5678u);
  ASSERT_EQ(a.GatewayList.size(), 1u);
  EXPECT_EQ(a.GatewayList[0].IpAddress, "192.168.1.1");
  ASSERT_EQ(a.DhcpServer.size(), 1u);
  EXPECT_EQ(a.DhcpServer[0].IpMask, "255.255.255.255");
  EXPECT_TRUE(a.HaveWins);
  EXPECT_EQ(a.PrimaryWinsServer.at(0).IpAddress, "192.168.1.2");
  EXPECT_EQ(a.SecondaryWinsServer.at(0).IpAddress, "192.168.1.3");
  EXPECT_EQ(a.LeaseObtained, 1765000000);
  EXPECT_EQ(a.LeaseExpires, 1765086400);
  EXPECT_EQ(list[1].AdapterName, "{B2}");
  EXPECT_EQ(list[1].Index, 12u);
  ExpectOneEmptyEntry(list[1].IpAddressList, "second adapter's addresses");
}

TEST(ReadAddressChain, NoFirstEntryGivesEmptyList) {
  TIPAdderessStructList list(2);
  ReadAddressChain(static_cast<const TAddressRecord*>(nullptr), list);
  EXPECT_TRUE(list.empty());
}

TEST(FixedText, StopsAtTheFieldEndWithoutTerminator) {
  TAddressRecord entry;
  std::memset(entry.IpAddress.String, '9', sizeof entry.IpAddress.String);
  std::memset(entry.IpMask.String, '\0', sizeof entry.IpMask.String);
  entry.IpMask.String[0] = 'x';
  TIPAdderessStructList list;
  ReadAddressChain(&entry, list);
  EXPECT_EQ(list.at(0).IpAddress, std::string(16, '9'));
  EXPECT_EQ(list.at(0).IpMask, "x");
}

TEST(TrimText, BlanksAndControlCharactersAtBothEnds) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"", ""}, {"  \t\r\n", ""}, {" a b ", "a b"}, {"\x01name\x1f", "name"}, {"\xc0\xe4\xe0\xef", "\xc0\xe4\xe0\xef"}};
  for (const auto& c : cases) EXPECT_EQ(TrimText(c.in), c.out) << c.in;
}

// A system call scripted as a list of answers, each with the size it reports.
struct ScriptedCall {
  struct Answer {
    BlockAnswer kind;
    std::uint32_t reportedSize;
    char fill;  // written over the whole buffer before answering
  };
  std::vector<Answer> answers;
  std::vector<std::uint32_t> sizesGiven;
  BlockReader Reader() {
    return [this](std::uint8_t* buffer, std::uint32_t& size) {
      const Answer a = answers.at(std::min(sizesGiven.size(), answers.size() - 1));
      sizesGiven.push_back(size);
      std::memset(buffer, a.fill, size);
      if (a.kind == BlockAnswer::TooSmall) size = a.reportedSize;
      return a.kind;
    };
  }
};

TEST(ReadSizedBlock, AsksAgainWithTheReportedSize) {
  struct Case {
    const char* what;
    std::vector<ScriptedCall::Answer> answers;
    std::vector<std::uint32_t> sizesGiven;
    bool filled;
    std::size_t resultSize;
    char resultByte;
  } const cases[] = {
      {"fits at once", {{BlockAnswer::Filled, 0, 'a'}}, {100}, true, 100, 'a'},
      {"grows once", {{BlockAnswer::TooSmall, 40000, 'x'}, {BlockAnswer::Filled, 0, 'b'}}, {100, 40000}, true,
       40000, 'b'},
      {"table grew between the calls",
       {{BlockAnswer::TooSmall, 200, 'x'}, {BlockAnswer::TooSmall, 300, 'x'}, {BlockAnswer::Filled, 0, 'c'}},
       {100, 200, 300},
       true,
       300,
       'c'},
      {"no data: zero buffer of the first size", {{BlockAnswer::Failed, 0, 'x'}}, {100}, false, 100, 0},
      {"never fits: bounded, zero", {{BlockAnswer::TooSmall, 0, 'x'}}, {100}, false, 100, 0},
      {"keeps growing: bounded, zero",
       {{BlockAnswer::TooSmall, 200, 'x'}, {BlockAnswer::TooSmall, 400, 'x'}, {BlockAnswer::TooSmall, 800, 'x'},
        {BlockAnswer::TooSmall, 1600, 'x'}},
       {100, 200, 400, 800},
       false,
       1600,
       0},
      {"absurd size refused", {{BlockAnswer::TooSmall, 0xFFFFFFF0u, 'x'}}, {100}, false, 100, 0},
  };
  for (const Case& c : cases) {
    ScriptedCall call{c.answers, {}};
    bool filled = !c.filled;
    const std::vector<std::uint8_t> block = ReadSizedBlock(100, call.Reader(), filled);
    EXPECT_EQ(call.sizesGiven, c.sizesGiven) << c.what;
    EXPECT_EQ(filled, c.filled) << c.what;
    EXPECT_EQ(block, std::vector<std::uint8_t>(c.resultSize, static_cast<std::uint8_t>(c.resultByte))) << c.what;
  }
}

std::string Sid(std::initializer_list<std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(ContainsAdministrators, FindsTheAliasAmongManyGroups) {
  const std::string users = Sid({1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0});   // S-1-5-32-545
  const std::string system = Sid({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0});                  // S-1-5-18
  const std::string otherAuthority = Sid({1, 2, 0, 0, 0, 0, 0, 4, 32, 0, 0, 0, 0x20, 2, 0, 0});
  const std::string admins = Sid({1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0});    // S-1-5-32-544
  EXPECT_EQ(AdministratorsSid(), admins);
  std::vector<std::string> many(300, users);  // far beyond what 1,024 bytes of group list hold
  EXPECT_FALSE(ContainsAdministrators(many));
  many.push_back(admins);
  EXPECT_TRUE(ContainsAdministrators(many));
  EXPECT_FALSE(ContainsAdministrators({}));
  EXPECT_FALSE(ContainsAdministrators({system, otherAuthority, admins.substr(0, 12)}));
}

TEST(InternetConnectionKindText, SingleKnownFlagsOnly) {
  const struct {
    std::uint32_t flags;
    const char* kind;
  } cases[] = {
      {1, "INTERNET_CONNECTION_MODEM"},       {2, "INTERNET_CONNECTION_LAN"},
      {4, "INTERNET_CONNECTION_PROXY"},       {8, "INTERNET_CONNECTION_MODEM_BUSY"},
      {32, "INTERNET_CONNECTION_OFFLINE"},    {64, "INTERNET_CONNECTION_CONFIGURED"},
      {0, "INTERNET_CONNECTION_UNKNOWN"},     {16, "INTERNET_CONNECTION_UNKNOWN"},
      {18, "INTERNET_CONNECTION_UNKNOWN"},    {3, "INTERNET_CONNECTION_UNKNOWN"},
      {66, "INTERNET_CONNECTION_UNKNOWN"},    {128, "INTERNET_CONNECTION_UNKNOWN"},
      {0xFFFFFFFFu, "INTERNET_CONNECTION_UNKNOWN"},
  };
  for (const auto& c : cases) EXPECT_EQ(InternetConnectionKindText(c.flags), c.kind) << c.flags;
}

TEST(IsLocalPortOpen, OpenOnlyWithAListener) {
  loopback::TWinsock winsock;
  int listening = 0;
  const loopback::TSocket listener = loopback::Listen(listening);
  int closed = 0;
  loopback::CloseSocket(loopback::Listen(closed));  // a port nobody listens on any more
  EXPECT_TRUE(IsLocalPortOpen(static_cast<std::uint16_t>(listening)));
  EXPECT_FALSE(IsLocalPortOpen(static_cast<std::uint16_t>(closed)));
  loopback::CloseSocket(listener);
  EXPECT_FALSE(IsLocalPortOpen(static_cast<std::uint16_t>(listening)));
}

}  // namespace
}  // namespace lmr
