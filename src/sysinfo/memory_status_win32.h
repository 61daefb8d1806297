#pragma once
// The Windows memory query, with the extended call passed in so that both of
// its paths can be exercised.
#include <windows.h>

#include "sysinfo/memory_status.h"

namespace lmr {

using GlobalMemoryStatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);

// kernel32's GlobalMemoryStatusEx, or null where the system lacks it.
GlobalMemoryStatusExFn FindGlobalMemoryStatusEx();

// The figures of statusEx; those of GlobalMemoryStatus when statusEx is null or fails.
TMemoryStatus MemoryStatusFrom(GlobalMemoryStatusExFn statusEx);

}  // namespace lmr
