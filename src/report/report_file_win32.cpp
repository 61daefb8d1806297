#include <windows.h>

#include <stdexcept>

#include "common/wide_win32.h"
#include "report/report_file.h"

namespace lmr {
namespace {

class Win32ReportFile : public ReportFile {
 public:
  explicit Win32ReportFile(HANDLE h) : h_(h) {}
  ~Win32ReportFile() override { CloseHandle(h_); }
  void Write(const std::string& bytes) override {
    DWORD written = 0;
    WriteFile(h_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

 private:
  HANDLE h_;
};

}  // namespace

std::unique_ptr<ReportFile> CreateReportFile(const std::string& fileName) {
  // Share mode 0: nobody else opens the report while the wizard runs.
  HANDLE h = CreateFileW(Wide(fileName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("Cannot create file " + fileName);
  return std::make_unique<Win32ReportFile>(h);
}

}  // namespace lmr
