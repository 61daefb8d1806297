#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <fstream>

#include "sysinfo/memory_status.h"

namespace lmr {

namespace {
// The user half of the address space when no limit is set: 47 bits on x86-64.
uint64_t AddressSpaceSize() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) return limit.rlim_cur;
  return sizeof(void*) == 8 ? (uint64_t{1} << 47) : (uint64_t{1} << 31);
}

// Bytes of address space this process has mapped, from /proc/self/statm.
uint64_t MappedSize() {
  std::ifstream statm("/proc/self/statm");
  uint64_t pages = 0;
  statm >> pages;
  return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}
}  // namespace

TMemoryStatus GetMemoryStatus() {
  TMemoryStatus status;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return status;
  const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  status.dwTotalPhys = uint64_t{info.totalram} * unit;
  status.dwAvailPhys = uint64_t{info.freeram} * unit;
  // Windows' page-file figures are the commit limit: memory plus swap.
  status.dwTotalPageFile = (uint64_t{info.totalram} + info.totalswap) * unit;
  status.dwAvailPageFile = (uint64_t{info.freeram} + info.freeswap) * unit;
  if (status.dwTotalPhys != 0)
    status.dwMemoryLoad = static_cast<uint32_t>(100 - status.dwAvailPhys * 100 / status.dwTotalPhys);
  status.dwTotalVirtual = AddressSpaceSize();
  const uint64_t mapped = MappedSize();
  status.dwAvailVirtual = mapped < status.dwTotalVirtual ? status.dwTotalVirtual - mapped : 0;
  return status;
}

}  // namespace lmr
