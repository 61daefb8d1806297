#pragma once
// Every wait on the peer and every amount taken from it is bounded here, so a
// server or proxy that stalls or floods cannot hang or exhaust the wizard.

#include <cstddef>

namespace online {

struct THttpBounds {
  int ConnectTimeoutMs = 10000;              // TCP connect, name resolution excluded
  int ReadTimeoutMs = 30000;                 // each wait for more bytes
  int WriteTimeoutMs = 30000;                // each wait for the peer to take bytes
  std::size_t MaxLineLength = 8192;          // status, header, chunk-size line
  std::size_t MaxHeaderCount = 100;          // header lines of one answer (and trailer)
  std::size_t MaxBodySize = 4 * 1024 * 1024; // body held in memory; the service's answers are small
};

} // namespace online
