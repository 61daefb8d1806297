#pragma once
// Probes of the local machine for the network stage: local ports, membership
// of the Administrators group, presence of a network, the internet connection
// state and the adapter table. None writes to the report or keeps state.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lmr {

struct TIPAdderessStruct {
  std::string IpAddress;
  std::string IpMask;
  std::uint32_t Context = 0;
};
using TIPAdderessStructList = std::vector<TIPAdderessStruct>;

struct TAdaptersStruct {
  std::uint32_t ComboIndex = 0;
  std::string AdapterName;
  std::string Description;
  std::uint32_t AddressLength = 0;
  std::vector<std::uint8_t> Address;  // always the 8 bytes of the record
  std::uint32_t Index = 0;
  std::uint32_t Type = 0;
  std::uint32_t DhcpEnabled = 0;
  std::string CurrentIpAddress;
  TIPAdderessStructList IpAddressList;
  TIPAdderessStructList GatewayList;
  TIPAdderessStructList DhcpServer;
  bool HaveWins = false;
  TIPAdderessStructList PrimaryWinsServer;
  TIPAdderessStructList SecondaryWinsServer;
  std::int32_t LeaseObtained = 0;
  std::int32_t LeaseExpires = 0;
};
using TAdaptersStructList = std::vector<TAdaptersStruct>;

// True when a listener on 127.0.0.1:port accepts a connection within
// kPortProbeTimeoutMs. (The other probes ask Windows: network_utils_win32.h.)
bool IsLocalPortOpen(std::uint16_t port);
inline constexpr int kPortProbeTimeoutMs = 1000;

// The kind text of an internet connection state's flags value; anything but
// a single known flag is "INTERNET_CONNECTION_UNKNOWN".
std::string InternetConnectionKindText(std::uint32_t flags);

// The text of a fixed-size, zero-terminated field, never read past its end.
template <std::size_t N>
std::string FixedText(const char (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != '\0') ++n;
  return std::string(field, n);
}

// Without leading and trailing blanks and control characters.
std::string TrimText(const std::string& text);

// One entry per link of an address chain; an absent first entry gives an
// empty list. Entry is the platform's address record or a twin of it with
// Next, IpAddress.String, IpMask.String and Context.
template <class Entry>
void ReadAddressChain(const Entry* first, TIPAdderessStructList& list) {
  list.clear();
  for (const Entry* e = first; e; e = e->Next) {
    list.push_back({FixedText(e->IpAddress.String), FixedText(e->IpMask.String),
                    static_cast<std::uint32_t>(e->Context)});
  }
}

// One adapter per record of the chain, the first record converted whatever it
// holds. Record is the platform's adapter record or a twin with its fields.
template <class Record>
void ReadAdapterChain(const Record& first, TAdaptersStructList& list) {
  list.clear();
  for (const Record* r = &first; r; r = r->Next) {
    TAdaptersStruct a;
    a.ComboIndex = r->ComboIndex;
    a.AdapterName = TrimText(FixedText(r->AdapterName));
    a.Description = TrimText(FixedText(r->Description));
    a.AddressLength = r->AddressLength;
    a.Address.assign(r->Address, r->Address + 8);
    a.Index = r->Index;
    a.Type = r->Type;
    a.DhcpEnabled = r->DhcpEnabled;
    if (r->CurrentIpAddress) a.CurrentIpAddress = FixedText(r->CurrentIpAddress->IpAddress.String);
    ReadAddressChain(&r->IpAddressList, a.IpAddressList);
    ReadAddressChain(&r->GatewayList, a.GatewayList);
    ReadAddressChain(&r->DhcpServer, a.DhcpServer);
    a.HaveWins = r->HaveWins != 0;
    ReadAddressChain(&r->PrimaryWinsServer, a.PrimaryWinsServer);
    ReadAddressChain(&r->SecondaryWinsServer, a.SecondaryWinsServer);
    a.LeaseObtained = static_cast<std::int32_t>(r->LeaseObtained);
    a.LeaseExpires = static_cast<std::int32_t>(r->LeaseExpires);
    list.push_back(std::move(a));
  }
}

// A system call that fills a caller's buffer and, when the buffer is too
// small, says so and sets `size` to the size it needs.
enum class BlockAnswer { Filled, TooSmall, Failed };
using BlockReader = std::function<BlockAnswer(std::uint8_t* buffer, std::uint32_t& size)>;

// Reads into a zero-filled buffer of at least `initialSize` bytes, asking
// again with the size the call reports while it answers TooSmall (a table may
// grow between two calls, so a few times). `filled` tells whether a call
// succeeded; otherwise the buffer is all zero.
std::vector<std::uint8_t> ReadSizedBlock(std::uint32_t initialSize, const BlockReader& read, bool& filled);
// First sizes asked for; enough on most machines, grown when not.
inline constexpr std::uint32_t kAdapterTableSize = 15960;
inline constexpr std::uint32_t kTokenGroupsSize = 1024;

// The binary form of S-1-5-32-544, the built-in Administrators group.
const std::string& AdministratorsSid();
// True at the first group identifier equal to AdministratorsSid; the group
// attributes (enabled, deny only) do not matter.
bool ContainsAdministrators(const std::vector<std::string>& groupSids);

}  // namespace lmr
