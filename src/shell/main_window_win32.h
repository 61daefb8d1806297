#pragma once
// The wizard's main window.
#include <windows.h>

#include <memory>
#include <string>

#include "report/xml_log_provider.h"

namespace lmr {

class TfmMain {
 public:
  // Builds the window and creates the report; throws when the report file
  // cannot be created, before anything is shown.
  explicit TfmMain(HINSTANCE instance);
  // Frees the report writer first, which ends the report's root element.
  ~TfmMain();

  HWND Handle() const { return hwnd_; }
  void Show(int showCommand);
  // The report's name: the program file's name with ".xml" for its extension.
  static std::string ReportFileName();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();

  HWND hwnd_ = nullptr;
  HWND caption_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH captionBrush_ = nullptr;
  std::unique_ptr<TTavXMLLogProvider> ReportWriter;
};

}  // namespace lmr
