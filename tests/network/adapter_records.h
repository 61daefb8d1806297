#pragma once
// Twins of the platform's adapter table records (same field names and
// shapes), so the conversion runs natively over tables built by hand.
#include <cstdint>
#include <cstring>

namespace lmr::test {

struct TAddressRecord {
  TAddressRecord* Next = nullptr;
  struct {
    char String[16];
  } IpAddress{}, IpMask{};
  std::uint32_t Context = 0;
};

struct TAdapterRecord {
  TAdapterRecord* Next = nullptr;
  std::uint32_t ComboIndex = 0;
  char AdapterName[260] = {};
  char Description[132] = {};
  std::uint32_t AddressLength = 0;
  std::uint8_t Address[8] = {};
  std::uint32_t Index = 0;
  std::uint32_t Type = 0;
  std::uint32_t DhcpEnabled = 0;
  TAddressRecord* CurrentIpAddress = nullptr;
  TAddressRecord IpAddressList, GatewayList, DhcpServer;
  int HaveWins = 0;
  TAddressRecord PrimaryWinsServer, SecondaryWinsServer;
  std::int64_t LeaseObtained = 0;
  std::int64_t LeaseExpires = 0;
};

template <std::size_t N>
void Put(char (&field)[N], const char* text) {
  std::strncpy(field, text, N);
}

inline void PutAddress(TAddressRecord& entry, const char* address, const char* mask, std::uint32_t context) {
  Put(entry.IpAddress.String, address);
  Put(entry.IpMask.String, mask);
  entry.Context = context;
}

}  // namespace lmr::test
