#include "report/xml_log_provider.h"

#include "report/xml_text.h"

namespace lmr {
namespace {

std::string NamePart(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

TTavXMLLogProvider::TTavXMLLogProvider(const std::string& fileName)
    : TTavXMLLogProvider(CreateReportFile(fileName), fileName) {}

TTavXMLLogProvider::TTavXMLLogProvider(std::unique_ptr<ReportFile> file, const std::string& fileName)
    : file_(std::move(file)), rootName_(XMLEscape(NamePart(fileName))) {
  // LF CR (in that order) after the declaration and the root tag, as stored
  // reports have it.
  file_->Write("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r" + XMLTag(false, rootName_) +
               "\n\r");
}

TTavXMLLogProvider::~TTavXMLLogProvider() { file_->Write(XMLTag(true, rootName_)); }

int TTavXMLLogProvider::OpenNode(const std::string& name) {
  std::lock_guard<std::mutex> guard(lock_);
  std::string tag = XMLTag(false, name);
  if (tag.empty()) return 0;
  file_->Write(tag);
  stack_.push_back(name);
  return static_cast<int>(stack_.size()) - 1;
}

void TTavXMLLogProvider::CloseNode(int index) {
  std::lock_guard<std::mutex> guard(lock_);
  if (index < 0 || static_cast<size_t>(index) >= stack_.size()) return;
  for (int i = static_cast<int>(stack_.size()) - 1; i >= index; --i) {
    file_->Write(XMLTag(true, stack_[i]));
    stack_.pop_back();
  }
}

void TTavXMLLogProvider::WriteValue(const std::string& name, const std::string& value) {
  std::string element = XMLElement(value, name, true);
  if (!element.empty()) file_->Write(element);
}

}  // namespace lmr
