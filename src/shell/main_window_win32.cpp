#include "shell/main_window_win32.h"

#include "common/text1251.h"
#include "common/wide_win32.h"
#include "shell/report_file_name.h"

namespace lmr {
namespace {

constexpr wchar_t kClassName[] = L"TfmMain";
constexpr int kClientWidth = 401;
constexpr int kClientHeight = 220;
constexpr int kCaptionHeight = 22;
constexpr COLORREF kCaptionColor = RGB(0x2A, 0x63, 0x9E);
constexpr COLORREF kCaptionTextColor = RGB(0xE2, 0xED, 0xF1);

std::wstring W(const char* utf8) { return Wide(Utf8To1251(utf8)); }

}  // namespace

std::string TfmMain::ReportFileName() {
  wchar_t path[MAX_PATH] = {0};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string full = Narrow(path);
  size_t cut = full.find_last_of("\\/");
  return ReportFileNameFor(cut == std::string::npos ? full : full.substr(cut + 1));
}

TfmMain::TfmMain(HINSTANCE instance) {
  WNDCLASSEXW wc = {sizeof wc};
  wc.lpfnWndProc = &TfmMain::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);

  captionBrush_ = CreateSolidBrush(kCaptionColor);
  font_ = CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  // Borderless: the window draws its own caption bar.
  hwnd_ = CreateWindowExW(0, kClassName, L"fmMain", WS_POPUP | WS_CLIPCHILDREN, 341, 141,
                          kClientWidth, kClientHeight, nullptr, nullptr, instance, this);
  CreateControls();
  ReportWriter = std::make_unique<TTavXMLLogProvider>(ReportFileName());
}

TfmMain::~TfmMain() {
  ReportWriter.reset();
  if (hwnd_) DestroyWindow(hwnd_);
  DeleteObject(font_);
  DeleteObject(captionBrush_);
}

void TfmMain::Show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

void TfmMain::CreateControls() {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  caption_ = CreateWindowExW(0, L"STATIC", L"LMRTSWizard", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 6, 4,
                             200, 14, hwnd_, nullptr, inst, nullptr);
  HWND header = CreateWindowExW(0, L"STATIC", W("Информация о системе.").c_str(), WS_CHILD | WS_VISIBLE,
                                6, kCaptionHeight + 4, 380, 17, hwnd_, nullptr, inst, nullptr);
  for (HWND h : {caption_, header}) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

LRESULT CALLBACK TfmMain::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<TfmMain*>(cs->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<TfmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

LRESULT TfmMain::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT bar = {0, 0, kClientWidth, kCaptionHeight};
      FillRect(dc, &bar, captionBrush_);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == caption_) {
        SetTextColor(reinterpret_cast<HDC>(wp), kCaptionTextColor);
        SetBkColor(reinterpret_cast<HDC>(wp), kCaptionColor);
        return reinterpret_cast<LRESULT>(captionBrush_);
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Dragging by the caption bar moves the borderless window.
      if (HIWORD(lp) < kCaptionHeight) {
        ReleaseCapture();
        SendMessageW(hwnd_, WM_SYSCOMMAND, 0xF012, 0);
        return 0;
      }
      break;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace lmr
