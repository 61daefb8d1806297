#include "shell/main_window_win32.h"

#include <commctrl.h>
#include <algorithm>
#include <shlobj.h>

#include "common/control_tree_win32.h"
#include "common/text1251.h"
#include "common/wait_pumping.h"
#include "common/wide_win32.h"
#include "common/file_system.h"
#include "shell/control_ids.h"
#include "shell/page_captions.h"
#include "shell/report_file_name.h"
#include "database/database_stage.h"
#include "database/odbc_connection.h"
#include "database/password_prompt_win32.h"
#include "engine/engine_probes.h"
#include "engine/engine_stage.h"
#include "install/installation_sources_win32.h"
#include "install/installation_stage.h"
#include "network/machine_network_probes_win32.h"
#include "network/network_stage.h"
#include "sysinfo/system_info_stage.h"

namespace lmr {
namespace {

constexpr wchar_t kClassName[] = L"TfmMain";
constexpr int kClientWidth = 401;
constexpr int kClientHeight = 220;
constexpr int kCaptionHeight = 22;
// Pages sit inside the one-pixel frame below the caption bar.
constexpr int kPageLeft = 1;
constexpr int kPageTop = kCaptionHeight;
constexpr int kHeaderWidth = 399;
constexpr int kHeaderHeight = 25;
COLORREF Ref(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

std::wstring W(const char* utf8) { return Wide(Utf8To1251(utf8)); }

// A list box seen as progress lines; texts cross the W API as UTF-16.
class ListBoxView : public ProgressListView {
 public:
  explicit ListBoxView(HWND list) : list_(list) {}
  int Count() const override { return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)); }
  std::string Line(int index) const override {
    LRESULT len = SendMessageW(list_, LB_GETTEXTLEN, index, 0);
    if (len == LB_ERR) return std::string();
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    return Narrow(text.c_str());
  }
  void SetLine(int index, const std::string& text) override {
    SendMessageW(list_, LB_DELETESTRING, index, 0);
    SendMessageW(list_, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  }
  void Append(const std::string& text) override {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  }

 private:
  HWND list_;
};

std::string WindowText(HWND h) {
  int len = GetWindowTextLengthW(h);
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  GetWindowTextW(h, &text[0], len + 1);
  return Narrow(text.c_str());
}

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM start) {
  if (msg == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

}  // namespace

std::string TfmMain::ReportFileName() {
  wchar_t path[MAX_PATH] = {0};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string full = Narrow(path);
  size_t cut = full.find_last_of("\\/:");
  return ReportFileNameFor(cut == std::string::npos ? full : full.substr(cut + 1));
}

TfmMain::TfmMain(HINSTANCE instance, const TdtmdlLMRSkinData& skin) : skin_(skin) {
  WNDCLASSEXW wc = {sizeof wc};
  wc.lpfnWndProc = &TfmMain::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);

  const TSkinColors& c = skin_.Colors();
  captionBrush_ = CreateSolidBrush(Ref(c.caption));
  panelBrush_ = CreateSolidBrush(Ref(c.panel));
  headerBrush_ = CreateSolidBrush(Ref(c.tab));
  frameBrush_ = CreateSolidBrush(Ref(c.frame));
  listBrush_ = CreateSolidBrush(Ref(c.listbox));
  editBrush_ = CreateSolidBrush(Ref(c.edit));
  font_ = CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  // Borderless: no system caption; the window draws its own caption bar.
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"fmMain", WS_POPUP | WS_CLIPCHILDREN, 341, 141,
                          kClientWidth, kClientHeight, nullptr, nullptr, instance, this);
  CreateControls();
  ShowPage(tsSystem);
  ListBoxView systemList(Item(ID_lbSysAnalysProgress));
  FillProgressList(systemList, SystemStepCaptions());
  ReportWriter = std::make_unique<TTavXMLLogProvider>(ReportFileName());
  OnlineClient = std::make_unique<online::TLMROLCSClient>();
}

TfmMain::~TfmMain() {
  ReportWriter.reset();
  OnlineClient.reset();
  if (hwnd_) DestroyWindow(hwnd_);
  DeleteObject(font_);
  DeleteObject(captionBrush_);
  DeleteObject(panelBrush_);
  for (HBRUSH b : {headerBrush_, frameBrush_, listBrush_, editBrush_}) DeleteObject(b);
}

void TfmMain::Show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

HWND TfmMain::Add(Page page, const wchar_t* cls, const char* utf8Text, DWORD style, int x, int y, int w, int h,
                  int id) {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  HWND c = CreateWindowExW(0, cls, W(utf8Text).c_str(), WS_CHILD | style, kPageLeft + x, kPageTop + y, w, h,
                           hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  pageControls_[page].push_back(c);
  return c;
}

void TfmMain::CreateControls() {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  // A plain label lets clicks through to the caption bar, so it drags too.
  HWND caption = CreateWindowExW(0, L"STATIC", L"LMRTSWizard", WS_CHILD | WS_VISIBLE, 8, 3, 200, 16,
                                 hwnd_, reinterpret_cast<HMENU>(ID_lblCaption), inst, nullptr);
  SendMessageW(caption, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  const char* headers[kPages] = {"Информация о системе.", "Информация о конфигурации MSDE.",
                                 "Получение настроек \"Люмаро\"", "Database информация \"Люмаро\"",
                                 "Проверка сетевых настроек."};
  for (int p = 0; p < kPages; ++p) {
    Add(static_cast<Page>(p), L"STATIC", headers[p], 0, 6, 4, kHeaderWidth - 12, 17, ID_Label1 + p);
  }
  const DWORD list = WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
  // Buttons draw themselves with the skin's faces (the system's face without a skin).
  const DWORD button = WS_TABSTOP | BS_OWNERDRAW;
  Add(tsSystem, L"LISTBOX", "", list | WS_DISABLED, 8, 32, 377, 121, ID_lbSysAnalysProgress);
  Add(tsSystem, L"BUTTON", "Начать", button, 312, 160, 75, 25, ID_bsSkinButton2);
  Add(tsMSDEInstall, L"LISTBOX", "", list | WS_TABSTOP, 8, 32, 377, 121, ID_lbMSDEAnalysProgress);
  Add(tsMSDEInstall, L"BUTTON", "Начать", button, 312, 159, 75, 25, ID_bsSkinButton3);
  Add(tsLumaroInstall, L"STATIC", "Укажите путь к \"Люмаро\"", 0, 8, 32, 300, 17, ID_lbLumaroDestinationTitle);
  Add(tsLumaroInstall, L"STATIC", "Сервер", 0, 8, 58, 48, 17, ID_lbLMRDestServer);
  Add(tsLumaroInstall, L"EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 56, 56, 305, 20, ID_edtLMRDestServer);
  Add(tsLumaroInstall, L"BUTTON", "...", button, 369, 56, 22, 20, ID_bsSkinPanel1);
  Add(tsLumaroInstall, L"STATIC", "Клиент", 0, 8, 82, 48, 17, ID_lbLMRDestClient);
  Add(tsLumaroInstall, L"EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 56, 80, 305, 20, ID_edtLMRDestClient);
  Add(tsLumaroInstall, L"BUTTON", "...", button, 369, 80, 22, 20, ID_bsSkinPanel2);
  Add(tsLumaroInstall, L"BUTTON", "Проверить достоверность Case-набора", WS_TABSTOP | BS_AUTOCHECKBOX, 8, 112, 289,
      17, ID_cbCRCScan);
  HWND gauge = Add(tsLumaroInstall, PROGRESS_CLASSW, "", 0, 8, 136, 289, 25, ID_pbScan);
  SendMessageW(gauge, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageW(gauge, PBM_SETBARCOLOR, 0, Ref(skin_.Colors().gauge));
  Add(tsLumaroInstall, L"BUTTON", "Начать", button | WS_DISABLED, 312, 160, 75, 25, ID_btnSysAnalys);
  Add(tsLMRMSDEConfiguration, L"LISTBOX", "", list | WS_DISABLED, 8, 32, 377, 121, ID_lbLMRMSDEAnalysProgress);
  Add(tsLMRMSDEConfiguration, L"BUTTON", "Начать", button, 312, 159, 75, 25, ID_bsSkinButton4);
  Add(tsLMRNetWorkOptions, L"LISTBOX", "", list | WS_DISABLED, 8, 32, 377, 121, ID_lbNetWorkAnalysProgress);
  Add(tsLMRNetWorkOptions, L"BUTTON", "Закрыть", button, 224, 159, 75, 25, ID_bsSkinButton6);
  Add(tsLMRNetWorkOptions, L"BUTTON", "Начать", button, 312, 159, 75, 25, ID_bsSkinButton5);
  // The gauge and "Закрыть" stay hidden when their page shows.
  pageControls_[tsLumaroInstall].erase(std::find(pageControls_[tsLumaroInstall].begin(),
                                                 pageControls_[tsLumaroInstall].end(), gauge));
  auto& last = pageControls_[tsLMRNetWorkOptions];
  last.erase(std::find(last.begin(), last.end(), Item(ID_bsSkinButton6)));
}

void TfmMain::ShowPage(Page page) {
  if (activePage_ == page) return;
  if (activePage_ >= 0) {
    for (HWND c : pageControls_[activePage_]) ShowWindow(c, SW_HIDE);
  }
  activePage_ = page;
  for (HWND c : pageControls_[page]) ShowWindow(c, SW_SHOW);
  InvalidateRect(hwnd_, nullptr, TRUE);
  OnPageShown(page);
}

void TfmMain::OnPageShown(Page page) {
  int listId = page == tsMSDEInstall            ? ID_lbMSDEAnalysProgress
               : page == tsLMRMSDEConfiguration ? ID_lbLMRMSDEAnalysProgress
               : page == tsLMRNetWorkOptions    ? ID_lbNetWorkAnalysProgress
                                                : 0;
  const std::vector<std::string>* captions = page == tsMSDEInstall            ? &EngineStepCaptions()
                                             : page == tsLMRMSDEConfiguration ? &DatabaseStepCaptions()
                                                                              : &NetworkStepCaptions();
  if (listId) {
    ListBoxView view(Item(listId));
    FillProgressList(view, *captions);
  }
  if (page == tsLumaroInstall) UpdateInstallPageState();
}

void TfmMain::UpdateInstallPageState() {
  std::string server = WindowText(Item(ID_edtLMRDestServer));
  std::string client = WindowText(Item(ID_edtLMRDestClient));
  EnableWindow(Item(ID_btnSysAnalys), DirectoryExists(server) || DirectoryExists(client));
  bool scan = SendMessageW(Item(ID_cbCRCScan), BM_GETCHECK, 0, 0) == BST_CHECKED;
  ShowWindow(Item(ID_pbScan), scan && activePage_ == tsLumaroInstall ? SW_SHOW : SW_HIDE);
}

StageHost TfmMain::Host(int listId, const char* mark) {
  stepList_ = std::make_unique<ListBoxView>(Item(listId));
  steps_ = std::make_unique<ProgressSteps>(*stepList_, mark, CurrentStepIndex);
  return StageHost{*ReportWriter, *steps_, &WaitPumping};
}

bool TfmMain::RunGuarded(const std::function<void()>& stage) {
  // A click that reaches a disabled button while a stage runs (a posted
  // message, not a person) must not start a stage inside the running one.
  if (busy_) return false;
  struct BusyFlag {
    bool& flag;
    explicit BusyFlag(bool& f) : flag(f) { flag = true; }
    ~BusyFlag() { flag = false; }
  } busy(busy_);
  WindowControl window(hwnd_);
  DisableControlTree(window);
  std::string error;
  try {
    stage();
  } catch (const std::exception& e) {
    error = e.what();
  }
  RestoreControlTree(window);
  if (!error.empty()) {
    MessageBoxW(hwnd_, Wide(error).c_str(), L"LMRTSWizard", MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void TfmMain::RunSystemInfoStage() {
  StageHost host = Host(ID_lbSysAnalysProgress, "Complete");
  SystemInfoSources sources;
  lmr::RunSystemInfoStage(host, sources, [this](const std::string& text, const std::string& caption) {
    MessageBoxW(hwnd_, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONWARNING);
  });
}

void TfmMain::RunEngineStage() {
  StageHost host = Host(ID_lbMSDEAnalysProgress, "Complite");
  lmr::RunEngineStage(host, MachineRegistry(), MachineLibraryLoader(), MachinePlatformId(), EngineRunning);
}

void TfmMain::RunInstallationStage() {
  NoProgressList noSteps;
  StageHost host{*ReportWriter, noSteps, &WaitPumping};
  TMachineInstallationSources sources;
  lmr::RunInstallationStage(host, WindowText(Item(ID_edtLMRDestServer)), WindowText(Item(ID_edtLMRDestClient)),
                            sources, Installation);
}

void TfmMain::RunDatabaseStage() {
  StageHost host = Host(ID_lbLMRMSDEAnalysProgress, "Complete");
  SaPasswordDialog prompt(hwnd_);
  lmr::RunDatabaseStage(host, EngineRunning, Installation, &CreateOdbcConnection, prompt, ProductConnection);
}

void TfmMain::RunNetworkStage() {
  StageHost host = Host(ID_lbNetWorkAnalysProgress, "Complete");
  MachineNetworkProbes probes;
  const NetworkStageInputs inputs{EngineRunning, Installation.ServerConfigFound, ProductConnection.get()};
  lmr::RunNetworkStage(host, probes, inputs, *OnlineClient, [this](const std::string& text) {
    MessageBoxW(hwnd_, Wide(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
  });
}

void TfmMain::BrowseFolder(int editId) {
  std::wstring title = L"Select folder";
  std::wstring start = L"C:\\Tavel\\Lumaro\\";
  BROWSEINFOW bi = {};
  bi.hwndOwner = hwnd_;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  bi.lpfn = &BrowseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&bi);
  if (!chosen) return;  // cancelled: nothing changes
  wchar_t path[MAX_PATH] = {0};
  if (SHGetPathFromIDListW(chosen, path)) SetWindowTextW(Item(editId), path);
  CoTaskMemFree(chosen);
}

void TfmMain::DrawButton(const DRAWITEMSTRUCT& item) {
  const bool disabled = item.itemState & ODS_DISABLED;
  const bool pressed = item.itemState & ODS_SELECTED;
  RECT r = item.rcItem;
  if (!skin_.DrawButtonFace(item.hDC, r, disabled ? 2 : pressed ? 1 : 0)) {
    DrawFrameControl(item.hDC, &r, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
  }
  wchar_t text[64] = {0};
  GetWindowTextW(item.hwndItem, text, 64);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, Ref(disabled ? skin_.Colors().buttonDisabledText : skin_.Colors().buttonText));
  HGDIOBJ old = SelectObject(item.hDC, font_);
  if (pressed) OffsetRect(&r, 1, 1);
  DrawTextW(item.hDC, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, old);
  if (item.itemState & ODS_FOCUS) {
    RECT f = item.rcItem;
    InflateRect(&f, -3, -3);
    DrawFocusRect(item.hDC, &f);
  }
}

void TfmMain::OnCommand(int id, int code) {
  switch (id) {
    case ID_bsSkinButton2:
      if (RunGuarded([this] { RunSystemInfoStage(); })) ShowPage(tsMSDEInstall);
      break;
    case ID_bsSkinButton3:
      if (RunGuarded([this] { RunEngineStage(); })) ShowPage(tsLumaroInstall);
      break;
    case ID_btnSysAnalys:
      if (RunGuarded([this] { RunInstallationStage(); })) ShowPage(tsLMRMSDEConfiguration);
      break;
    case ID_bsSkinButton4:
      if (RunGuarded([this] { RunDatabaseStage(); })) ShowPage(tsLMRNetWorkOptions);
      break;
    case ID_bsSkinButton5:
      if (RunGuarded([this] { RunNetworkStage(); })) {
        EnableWindow(Item(ID_bsSkinButton5), FALSE);
        ShowWindow(Item(ID_bsSkinButton6), SW_SHOW);
        EnableWindow(Item(ID_bsSkinButton6), TRUE);
      }
      break;
    case ID_bsSkinButton6:
      DestroyWindow(hwnd_);
      break;
    case ID_bsSkinPanel1:
      BrowseFolder(ID_edtLMRDestServer);
      break;
    case ID_bsSkinPanel2:
      BrowseFolder(ID_edtLMRDestClient);
      break;
    case ID_edtLMRDestServer:
    case ID_edtLMRDestClient:
      if (code == EN_CHANGE) UpdateInstallPageState();
      break;
    case ID_cbCRCScan:
      if (code == BN_CLICKED) UpdateInstallPageState();
      break;
  }
}

LRESULT CALLBACK TfmMain::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<TfmMain*>(cs->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<TfmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->HandleMessage(msg, wp, lp);
}

LRESULT TfmMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wp);
      RECT all = {0, 0, kClientWidth, kClientHeight};
      FillRect(dc, &all, panelBrush_);
      RECT bar = {0, 0, kClientWidth, kCaptionHeight};
      FillRect(dc, &bar, captionBrush_);
      RECT frame = {0, kCaptionHeight - 1, kClientWidth, kClientHeight};
      FrameRect(dc, &frame, frameBrush_);
      RECT header = {kPageLeft, kPageTop, kPageLeft + kHeaderWidth, kPageTop + kHeaderHeight};
      FillRect(dc, &header, headerBrush_);
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      SetBkMode(dc, TRANSPARENT);
      if (id == ID_lblCaption) {
        SetTextColor(dc, Ref(skin_.Colors().captionText));
        return reinterpret_cast<LRESULT>(captionBrush_);
      }
      if (id >= ID_Label1 && id < ID_Label1 + kPages) {
        SetTextColor(dc, Ref(skin_.Colors().tabText));
        return reinterpret_cast<LRESULT>(headerBrush_);
      }
      return reinterpret_cast<LRESULT>(panelBrush_);
    }
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      bool list = msg == WM_CTLCOLORLISTBOX;
      SetTextColor(dc, Ref(list ? skin_.Colors().listboxText : skin_.Colors().editText));
      SetBkColor(dc, Ref(list ? skin_.Colors().listbox : skin_.Colors().edit));
      return reinterpret_cast<LRESULT>(list ? listBrush_ : editBrush_);
    }
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Dragging by the caption bar, with any button, moves the window.
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
