#pragma once
// Reading a text file into lines: bytes as they are, a line ends at CR, LF or
// CR LF, the content ends at the first zero byte.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lmr {

// Splits a stream given in pieces; memory grows with the lines, not the pieces.
class LineSplitter {
 public:
  // Returns false once a zero byte ended the content; later pieces are ignored.
  bool Feed(std::string_view piece);
  std::vector<std::string> Finish();

 private:
  std::vector<std::string> lines_;
  std::string current_;
  bool pendingCR_ = false;
  bool ended_ = false;
};

// None when the file is missing or cannot be read; an empty file gives no lines.
std::optional<std::vector<std::string>> LoadLines(const std::string& path);

}  // namespace lmr
