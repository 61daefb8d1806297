#include "network/network_utils.h"

#include <algorithm>
#include <exception>

#include "online/tcp_stream.h"

namespace lmr {
namespace {

// More than one extra round means the table keeps growing; give up then.
constexpr int kSizedReadAttempts = 4;
// No adapter table or group list comes near this; a larger request is bogus.
constexpr std::uint32_t kLargestBlock = 16u * 1024 * 1024;

}  // namespace

std::string InternetConnectionKindText(std::uint32_t flags) {
  switch (flags) {
    case 1: return "INTERNET_CONNECTION_MODEM";
    case 2: return "INTERNET_CONNECTION_LAN";
    case 4: return "INTERNET_CONNECTION_PROXY";
    case 8: return "INTERNET_CONNECTION_MODEM_BUSY";
    case 32: return "INTERNET_CONNECTION_OFFLINE";
    case 64: return "INTERNET_CONNECTION_CONFIGURED";
    default: return "INTERNET_CONNECTION_UNKNOWN";
  }
}

std::string TrimText(const std::string& text) {
  const auto kept = [](char c) { return static_cast<unsigned char>(c) > ' '; };
  const auto first = std::find_if(text.begin(), text.end(), kept);
  const auto last = std::find_if(text.rbegin(), text.rend(), kept).base();
  return first < last ? std::string(first, last) : std::string();
}

bool IsLocalPortOpen(std::uint16_t port) {
  try {
    return online::CreateSocketStream()->Connect("127.0.0.1", port, kPortProbeTimeoutMs);
  } catch (const std::exception&) {
    return false;  // refused, or no socket to be had
  }
}

std::vector<std::uint8_t> ReadSizedBlock(std::uint32_t initialSize, const BlockReader& read, bool& filled) {
  std::vector<std::uint8_t> buffer(initialSize, 0);
  filled = false;
  for (int attempt = 0; attempt < kSizedReadAttempts; ++attempt) {
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    const BlockAnswer answer = read(buffer.data(), size);
    if (answer == BlockAnswer::Filled) {
      filled = true;
      return buffer;
    }
    if (answer == BlockAnswer::Failed || size <= buffer.size() || size > kLargestBlock) break;
    buffer.assign(size, 0);
  }
  std::fill(buffer.begin(), buffer.end(), 0);
  return buffer;
}

const std::string& AdministratorsSid() {
  // Revision 1, two sub-authorities, NT authority 5, then 32 and 544 little-endian.
  static const std::string sid("\x01\x02\x00\x00\x00\x00\x00\x05"
                               "\x20\x00\x00\x00\x20\x02\x00\x00",
                               16);
  return sid;
}

bool ContainsAdministrators(const std::vector<std::string>& groupSids) {
  return std::find(groupSids.begin(), groupSids.end(), AdministratorsSid()) != groupSids.end();
}

}  // namespace lmr
