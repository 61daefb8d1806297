#include "common/control_tree_win32.h"

namespace lmr {

std::vector<std::unique_ptr<Control>> WindowControl::Children() const {
  std::vector<std::unique_ptr<Control>> children;
  for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    children.push_back(std::make_unique<WindowControl>(c));
  }
  return children;
}

}  // namespace lmr
