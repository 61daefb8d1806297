#pragma once
// The SA password prompt as a modal dialog of the window: caption "Ошибка",
// the request, an edit pre-filled with the current password in clear, OK and
// Cancel. Built in memory, so it needs no resource and no skin.
#include <windows.h>

#include <string>

#include "database/database_access.h"

namespace lmr {

// The edit's control id; OK and Cancel are IDOK and IDCANCEL.
inline constexpr int kPasswordEditId = 101;

class SaPasswordDialog : public PasswordPrompt {
 public:
  explicit SaPasswordDialog(HWND owner) : owner_(owner) {}
  bool Ask(std::string& password) override;

 private:
  HWND owner_;
};

}  // namespace lmr
