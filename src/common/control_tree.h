#pragma once
// The busy guard: while a stage runs, the window and all its controls are
// disabled; afterwards every control is enabled again except those that were
// already disabled before. One guard at a time; calls do not nest.
#include <memory>
#include <vector>

namespace lmr {

class Control {
 public:
  virtual ~Control() = default;
  virtual bool IsEnabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // Identity across calls (the window handle on Windows).
  virtual const void* Id() const = 0;
  // Direct children, in the toolkit's child order.
  virtual std::vector<std::unique_ptr<Control>> Children() const = 0;
};

void DisableControlTree(Control& root);
void RestoreControlTree(Control& root);

}  // namespace lmr
