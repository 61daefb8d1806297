#include "sysinfo/memory_status_win32.h"

namespace lmr {

GlobalMemoryStatusExFn FindGlobalMemoryStatusEx() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<GlobalMemoryStatusExFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")));
}

TMemoryStatus MemoryStatusFrom(GlobalMemoryStatusExFn statusEx) {
  TMemoryStatus status;
  MEMORYSTATUSEX ex = {};
  ex.dwLength = sizeof ex;
  if (statusEx && statusEx(&ex)) {
    status.dwMemoryLoad = ex.dwMemoryLoad;
    status.dwTotalPhys = ex.ullTotalPhys;
    status.dwAvailPhys = ex.ullAvailPhys;
    status.dwTotalPageFile = ex.ullTotalPageFile;
    status.dwAvailPageFile = ex.ullAvailPageFile;
    status.dwTotalVirtual = ex.ullTotalVirtual;
    status.dwAvailVirtual = ex.ullAvailVirtual;
    return status;
  }
  MEMORYSTATUS plain = {};
  plain.dwLength = sizeof plain;
  GlobalMemoryStatus(&plain);
  status.dwMemoryLoad = plain.dwMemoryLoad;
  status.dwTotalPhys = plain.dwTotalPhys;
  status.dwAvailPhys = plain.dwAvailPhys;
  status.dwTotalPageFile = plain.dwTotalPageFile;
  status.dwAvailPageFile = plain.dwAvailPageFile;
  status.dwTotalVirtual = plain.dwTotalVirtual;
  status.dwAvailVirtual = plain.dwAvailVirtual;
  return status;
}

// GlobalMemoryStatus caps its figures at 2 GiB in a 32-bit program (4 GiB if
// large-address-aware); the Ex call, looked up at run time because it is
// newer than the oldest systems, gives the true 64-bit ones.
TMemoryStatus GetMemoryStatus() { return MemoryStatusFrom(FindGlobalMemoryStatusEx()); }

}  // namespace lmr
