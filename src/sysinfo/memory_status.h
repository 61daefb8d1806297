#pragma once
// The machine's memory figures and their report format.
#include <cstdint>
#include <string>

namespace lmr {

// The figures of the platform's memory status record, in its order. Byte
// counts are 64-bit so that machines beyond 4 GiB are reported truly.
struct TMemoryStatus {
  uint32_t dwMemoryLoad = 0;  // percent
  uint64_t dwTotalPhys = 0;
  uint64_t dwAvailPhys = 0;
  uint64_t dwTotalPageFile = 0;
  uint64_t dwAvailPageFile = 0;
  uint64_t dwTotalVirtual = 0;
  uint64_t dwAvailVirtual = 0;
};

TMemoryStatus GetMemoryStatus();

// Bytes as whole mebibytes rounded to nearest, ties to even, then "MB": 511MB.
std::string MemorySizeText(uint64_t bytes);

}  // namespace lmr
