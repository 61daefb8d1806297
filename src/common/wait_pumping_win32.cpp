#include <windows.h>

#include "common/wait_pumping.h"

namespace lmr {

bool ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit for the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void WaitPumping(std::uint32_t ms) {
  const std::uint32_t deadline = GetTickCount() + ms;
  for (;;) {
    std::uint32_t left = TicksRemaining(deadline, GetTickCount());
    if (left == 0) return;
    if (!ProcessPendingMessages()) return;
    left = TicksRemaining(deadline, GetTickCount());
    if (left == 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
  }
}

}  // namespace lmr
