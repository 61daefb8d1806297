#include "common/control_tree.h"

#include <algorithm>

namespace lmr {
namespace {

// Controls found disabled by the last DisableControlTree.
std::vector<const void*>& Remembered() {
  static std::vector<const void*> remembered;
  return remembered;
}

void DisableWalk(Control& c) {
  if (c.IsEnabled()) {
    c.SetEnabled(false);
  } else {
    Remembered().push_back(c.Id());
  }
  for (auto& child : c.Children()) DisableWalk(*child);
}

void RestoreWalk(Control& c) {
  const auto& r = Remembered();
  if (std::find(r.begin(), r.end(), c.Id()) == r.end()) c.SetEnabled(true);
  for (auto& child : c.Children()) RestoreWalk(*child);
}

}  // namespace

void DisableControlTree(Control& root) { DisableWalk(root); }

void RestoreControlTree(Control& root) {
  RestoreWalk(root);
  Remembered().clear();
}

}  // namespace lmr
