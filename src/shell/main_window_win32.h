#pragma once
// The wizard's main window: five pages shown one after the other, each with
// its "Начать" that runs the page's stage inside the busy guard.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/db_connection.h"
#include "install/installation_stage.h"
#include "online/lmr_olcs_client.h"
#include "report/xml_log_provider.h"
#include "shell/skin_win32.h"
#include "shell/step_protocol.h"

namespace lmr {

class TfmMain {
 public:
  // Builds the window and creates the report; throws when the report file
  // cannot be created, before anything is shown.
  TfmMain(HINSTANCE instance, const TdtmdlLMRSkinData& skin);
  // Frees the report writer first, which ends the report's root element.
  ~TfmMain();

  HWND Handle() const { return hwnd_; }
  void Show(int showCommand);
  // The report's name: the program file's name with ".xml" for its extension.
  static std::string ReportFileName();

  enum Page { tsSystem, tsMSDEInstall, tsLumaroInstall, tsLMRMSDEConfiguration, tsLMRNetWorkOptions, kPages };
  void ShowPage(Page page);
  void UpdateInstallPageState();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  HWND Add(Page page, const wchar_t* cls, const char* utf8Text, DWORD style, int x, int y, int w, int h, int id);
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  void OnCommand(int id, int code);
  void OnPageShown(Page page);
  // Runs a stage in the busy guard; an error keeps the page and is shown.
  bool RunGuarded(const std::function<void()>& stage);
  void BrowseFolder(int editId);
  void DrawButton(const DRAWITEMSTRUCT& item);
  StageHost Host(int listId, const char* mark);

  void RunSystemInfoStage();
  void RunEngineStage();
  void RunInstallationStage();
  void RunDatabaseStage();
  void RunNetworkStage();

  const TdtmdlLMRSkinData& skin_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH captionBrush_ = nullptr;
  HBRUSH panelBrush_ = nullptr;
  HBRUSH headerBrush_ = nullptr;
  HBRUSH frameBrush_ = nullptr;
  HBRUSH listBrush_ = nullptr;
  HBRUSH editBrush_ = nullptr;
  int activePage_ = -1;
  std::vector<HWND> pageControls_[kPages];
  int CurrentStepIndex = -1;
  // Set by the engine stage: the engine is installed and its service runs.
  bool EngineRunning = false;
  // Set by the installation stage: folders, configuration and database slots.
  InstallationResult Installation;
  // Left by the database stage: the product database under the product's login.
  std::unique_ptr<lmr::DbConnection> ProductConnection;
  bool busy_ = false;  // a stage is running
  std::unique_ptr<ProgressListView> stepList_;
  std::unique_ptr<StepProtocol> steps_;
  std::unique_ptr<TTavXMLLogProvider> ReportWriter;
  // Created right after the report writer and freed right after it.
  std::unique_ptr<online::TLMROLCSClient> OnlineClient;
};

}  // namespace lmr
