#pragma once
// A progress list held in memory, for stage tests.
#include <string>
#include <vector>

#include "shell/step_protocol.h"

namespace lmr::test {

class FakeProgressList : public ProgressListView {
 public:
  int Count() const override { return static_cast<int>(lines.size()); }
  std::string Line(int i) const override { return lines.at(i); }
  void SetLine(int i, const std::string& t) override { lines.at(i) = t; }
  void Append(const std::string& t) override { lines.push_back(t); }
  std::vector<std::string> lines;
};

}  // namespace lmr::test
