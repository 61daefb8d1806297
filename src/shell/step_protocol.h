#pragma once
// The step protocol of the progress lists and the guaranteed closings every
// stage relies on: a started step is always marked, an opened report element
// always closed, also when the check in between raises.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "report/xml_log_provider.h"

namespace lmr {

// Texts of the progress lines of one page, and the way to repaint.
class ProgressListView {
 public:
  virtual ~ProgressListView() = default;
  virtual int Count() const = 0;
  virtual std::string Line(int index) const = 0;
  virtual void SetLine(int index, const std::string& text) = 0;
  virtual void Append(const std::string& text) = 0;
};

class StepProtocol {
 public:
  virtual ~StepProtocol() = default;
  virtual void BeginStep(const std::string& caption) = 0;
  virtual void EndStep() = 0;
};

// BeginStep finds the first line equal to the caption without regard to case
// (-1 when none); EndStep appends the page's mark to that line. Both process
// pending window messages so the list repaints.
class ProgressSteps : public StepProtocol {
 public:
  ProgressSteps(ProgressListView& list, std::string mark, int& currentStepIndex)
      : list_(list), mark_(std::move(mark)), current_(currentStepIndex) {}
  void BeginStep(const std::string& caption) override;
  void EndStep() override;

 private:
  ProgressListView& list_;
  std::string mark_;
  int& current_;  // one field shared by all pages' lists
};

// For a page without a progress list: its stage takes no steps.
class NoProgressList : public StepProtocol {
 public:
  void BeginStep(const std::string&) override {}
  void EndStep() override {}
};

void FillProgressList(ProgressListView& list, const std::vector<std::string>& captions);

// Comparison without regard to case for windows-1251 text, Cyrillic included.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// The closing half of a step begun earlier, for a stage that may leave a
// step's line unmarked on an early return: marks it also when the check in
// between raises.
class StepEnd {
 public:
  explicit StepEnd(StepProtocol& steps) : steps_(steps) {}
  ~StepEnd() { steps_.EndStep(); }
  StepEnd(const StepEnd&) = delete;
  StepEnd& operator=(const StepEnd&) = delete;

 private:
  StepProtocol& steps_;
};

class GuardedStep {
 public:
  GuardedStep(StepProtocol& steps, const std::string& caption) : end_(Begin(steps, caption)) {}

 private:
  static StepProtocol& Begin(StepProtocol& steps, const std::string& caption) {
    steps.BeginStep(caption);
    return steps;
  }
  StepEnd end_;
};

class GuardedNode {
 public:
  GuardedNode(TTavXMLLogProvider& writer, const std::string& name)
      : writer_(writer), index_(writer.OpenNode(name)) {}
  ~GuardedNode() { writer_.CloseNode(index_); }
  GuardedNode(const GuardedNode&) = delete;
  GuardedNode& operator=(const GuardedNode&) = delete;

 private:
  TTavXMLLogProvider& writer_;
  int index_;
};

// What a stage needs from the main window: the report, its page's steps and
// the closing wait.
struct StageHost {
  TTavXMLLogProvider& ReportWriter;
  StepProtocol& Steps;
  // The closing wait of a stage; WaitPumping in the window, a recorder in tests.
  std::function<void(std::uint32_t ms)> Wait;
};

}  // namespace lmr
