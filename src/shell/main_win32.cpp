#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <exception>
#include <memory>

#include "common/wide_win32.h"
#include "shell/main_window_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);  // the folder dialog needs it
  std::unique_ptr<lmr::TdtmdlLMRSkinData> skin;
  std::unique_ptr<lmr::TfmMain> main;
  try {
    skin = std::make_unique<lmr::TdtmdlLMRSkinData>(lmr::ProgramFolder());
    main = std::make_unique<lmr::TfmMain>(instance, *skin);
  } catch (const std::exception& e) {
    // No report, no window: say why and end.
    MessageBoxW(nullptr, lmr::Wide(e.what()).c_str(), L"LMRTSWizard", MB_OK | MB_ICONERROR);
    return 1;
  }
  main->Show(showCommand);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab moves between controls; Space presses the focused button, and so
    // does Enter (the dialog manager would send it to no button here).
    HWND focus = GetFocus();
    wchar_t cls[16] = {0};
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && focus &&
        GetClassNameW(focus, cls, 16) && lstrcmpiW(cls, L"Button") == 0 &&
        (GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) {
      SendMessageW(focus, BM_CLICK, 0, 0);
      continue;
    }
    if (main->Handle() && IsDialogMessageW(main->Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  main.reset();
  skin.reset();
  OleUninitialize();
  return 0;
}
