#pragma once
// The report's file: created anew, held without sharing while the writer
// lives, written through at every call so a killed run keeps what it wrote.
#include <memory>
#include <string>

namespace lmr {

class ReportFile {
 public:
  virtual ~ReportFile() = default;
  // One write call per piece; a short or failed write is not reported.
  virtual void Write(const std::string& bytes) = 0;
};

// Creates (replacing) the named file (windows-1251 name) for exclusive use.
// Throws std::runtime_error "Cannot create file <name>" when that fails,
// including when another process holds the file.
std::unique_ptr<ReportFile> CreateReportFile(const std::string& fileName);

}  // namespace lmr
