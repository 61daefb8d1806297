#pragma once
// The busy guard's view of a real window and its child windows.
#include <windows.h>

#include "common/control_tree.h"

namespace lmr {

class WindowControl : public Control {
 public:
  explicit WindowControl(HWND hwnd) : hwnd_(hwnd) {}
  bool IsEnabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  const void* Id() const override { return hwnd_; }
  std::vector<std::unique_ptr<Control>> Children() const override;

 private:
  HWND hwnd_;
};

}  // namespace lmr
