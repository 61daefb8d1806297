#pragma once
#include <cstdint>

namespace lmr {

// Milliseconds left before a tick-count deadline, in the wrapping unsigned
// 32-bit arithmetic of GetTickCount: 0 once the deadline is not above now
// (so a deadline that wrapped past the top ends the wait at once).
inline std::uint32_t TicksRemaining(std::uint32_t deadline, std::uint32_t now) {
  return deadline > now ? deadline - now : 0;
}

// Keeps the window processing its messages until ms have passed. It sleeps
// until a message arrives or the time is up, instead of spinning a core.
// A wait of 0 returns at once without processing messages.
void WaitPumping(std::uint32_t ms);

// Processes the thread's pending window messages once. Returns false when a
// quit message arrived (it is posted again for the main loop).
bool ProcessPendingMessages();

}  // namespace lmr
