#include "shell/report_file_name.h"

namespace lmr {

std::string ReportFileNameFor(const std::string& programFileName) {
  size_t dot = programFileName.find_last_of('.');
  std::string ext = dot == std::string::npos ? std::string() : programFileName.substr(dot);
  if (ext.empty()) return programFileName + ".xml";
  std::string out;
  size_t pos = 0;
  for (size_t hit; (hit = programFileName.find(ext, pos)) != std::string::npos; pos = hit + ext.size()) {
    out.append(programFileName, pos, hit - pos);
  }
  out.append(programFileName, pos, std::string::npos);
  return out + ".xml";
}

}  // namespace lmr
