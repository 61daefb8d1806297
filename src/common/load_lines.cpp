#include "common/load_lines.h"

#include "common/file_system.h"

namespace lmr {

bool LineSplitter::Feed(std::string_view piece) {
  if (ended_) return false;
  for (char c : piece) {
    if (c == '\0') {
      ended_ = true;
      return false;
    }
    if (pendingCR_) {
      pendingCR_ = false;
      if (c == '\n') continue;  // CR LF is one break
    }
    if (c == '\r' || c == '\n') {
      lines_.push_back(std::move(current_));
      current_.clear();
      pendingCR_ = c == '\r';
    } else {
      current_ += c;
    }
  }
  return true;
}

std::vector<std::string> LineSplitter::Finish() {
  if (!current_.empty()) lines_.push_back(std::move(current_));
  current_.clear();
  return std::move(lines_);
}

std::optional<std::vector<std::string>> LoadLines(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  LineSplitter splitter;
  if (!ReadFileInPieces(path, [&](std::string_view piece) { return splitter.Feed(piece); })) {
    return std::nullopt;
  }
  return splitter.Finish();
}

}  // namespace lmr
