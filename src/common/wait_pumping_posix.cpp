// Native twin: no window messages to process, so the wait only sleeps.
#include <time.h>

#include "common/wait_pumping.h"

namespace lmr {

bool ProcessPendingMessages() { return true; }

void WaitPumping(std::uint32_t ms) {
  if (ms == 0) return;
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

}  // namespace lmr
