#include "database/password_prompt_win32.h"

#include <stdexcept>
#include <vector>

#include "common/text1251.h"
#include "common/wide_win32.h"

namespace lmr {
namespace {

constexpr int kPromptId = 100;

std::wstring W(const char* utf8) { return Wide(Utf8To1251(utf8)); }

// A DLGTEMPLATE with its items, laid out as the system expects: each item
// starts on a 4-byte boundary, strings are UTF-16 with their zero.
class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& caption, short cx, short cy) {
    DWORD style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AddDword(style);
    AddDword(0);      // extended style
    count_ = words_.size();
    words_.push_back(0);  // item count, filled as items come
    for (short v : {short(0), short(0), cx, cy}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the system's dialog class
    AddString(caption);
    words_.push_back(8);  // point size
    AddString(L"MS Shell Dlg");
  }

  void AddItem(WORD atom, const std::wstring& text, DWORD style, short x, short y, short cx, short cy, WORD id) {
    if (words_.size() % 2) words_.push_back(0);
    AddDword(style | WS_CHILD | WS_VISIBLE);
    AddDword(0);
    for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    AddString(text);
    words_.push_back(0);  // no creation data
    ++words_[count_];
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void AddDword(DWORD v) {
    words_.push_back(LOWORD(v));
    words_.push_back(HIWORD(v));
  }
  void AddString(const std::wstring& s) {
    words_.insert(words_.end(), s.begin(), s.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
  std::size_t count_ = 0;
};

constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;

INT_PTR CALLBACK PromptProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lp);  // where the confirmed text goes
      HWND edit = GetDlgItem(dialog, kPasswordEditId);
      SetFocus(edit);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* confirmed = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER));
        HWND edit = GetDlgItem(dialog, kPasswordEditId);
        confirmed->assign(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        confirmed->resize(static_cast<std::size_t>(
            GetWindowTextW(edit, &(*confirmed)[0], static_cast<int>(confirmed->size()))));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool SaPasswordDialog::Ask(std::string& password) {
  DialogTemplate t(W("Ошибка"), 220, 62);
  t.AddItem(kStatic, W("Введите пароль пользователя SA для MSDE."), SS_LEFT, 7, 7, 206, 10, kPromptId);
  t.AddItem(kEdit, Wide(password), WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 20, 206, 13, kPasswordEditId);
  t.AddItem(kButton, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 109, 41, 50, 14, IDOK);
  t.AddItem(kButton, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 163, 41, 50, 14, IDCANCEL);
  std::wstring confirmed;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // The owner is disabled by the busy guard while its stage runs; closing a
  // modal dialog enables its owner (Wine does so whatever its state was), so
  // the guard's state is put back.
  const bool ownerEnabled = owner_ && IsWindowEnabled(owner_);
  const INT_PTR result =
      DialogBoxIndirectParamW(instance, t.Get(), owner_, &PromptProc, reinterpret_cast<LPARAM>(&confirmed));
  if (owner_ && !ownerEnabled) EnableWindow(owner_, FALSE);
  if (result == -1) throw std::runtime_error("The SA password prompt cannot be shown");
  if (result != IDOK) return false;
  password = Narrow(confirmed);
  return true;
}

}  // namespace lmr
