#pragma once
// The streaming XML report writer. Every call goes straight to the file;
// only the names of open elements are held in memory.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "report/report_file.h"

namespace lmr {

class TTavXMLLogProvider {
 public:
  // Creates the report file (replacing an older one) and writes the
  // declaration and the root start tag. Throws "Cannot create file <name>".
  explicit TTavXMLLogProvider(const std::string& fileName);
  // For tests and callers that provide their own file.
  TTavXMLLogProvider(std::unique_ptr<ReportFile> file, const std::string& fileName);
  // Writes the root end tag; elements still open stay open.
  virtual ~TTavXMLLogProvider();

  TTavXMLLogProvider(const TTavXMLLogProvider&) = delete;
  TTavXMLLogProvider& operator=(const TTavXMLLogProvider&) = delete;

  // Writes "<name>" and returns the element's index in the open stack;
  // an empty name writes nothing and returns 0.
  virtual int OpenNode(const std::string& name);
  // Closes every element from the top of the stack down to index, innermost
  // first; an index outside the stack does nothing.
  virtual void CloseNode(int index);
  // "<name>escaped value</name>" CR LF; an empty name writes nothing.
  void WriteValue(const std::string& name, const std::string& value);

 private:
  std::mutex lock_;
  std::unique_ptr<ReportFile> file_;
  std::vector<std::string> stack_;
  std::string rootName_;
};

}  // namespace lmr
