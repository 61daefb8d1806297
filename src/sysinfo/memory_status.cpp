#include "sysinfo/memory_status.h"

namespace lmr {

std::string MemorySizeText(uint64_t bytes) {
  // Integer arithmetic rounds as dividing in floating point would (exactly so
  // below 2^53 bytes) without depending on the FPU's rounding mode.
  constexpr uint64_t kMiB = 1048576;
  constexpr uint64_t kHalf = kMiB / 2;
  uint64_t whole = bytes / kMiB;
  const uint64_t rest = bytes % kMiB;
  if (rest > kHalf || (rest == kHalf && whole % 2 == 1)) ++whole;
  return std::to_string(whole) + "MB";
}

}  // namespace lmr
