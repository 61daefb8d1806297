#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "common/control_tree.h"
#include "common/exception_capture.h"

namespace lmr {
namespace {

void ThrowAndCatchBelow(const std::string& message) {
  try {
    throw std::runtime_error(message);
  } catch (const std::exception&) {
    // a lower layer swallows it
  }
}

TEST(ExceptionCapture, RecordsEveryThrowWhileActiveEvenIfCaught) {
  StartExceptionCapture();
  ThrowAndCatchBelow("Connection refused");
  try {
    throw 42;
  } catch (int) {
  }
  try {
    std::string("abc").at(10);  // thrown inside the library
  } catch (const std::out_of_range&) {
  }
  std::vector<std::string> lines;
  EXPECT_TRUE(GetCapturedExceptions(lines));
  StopExceptionCapture();
  ThrowAndCatchBelow("after stop");
  std::vector<std::string> after;
  EXPECT_FALSE(GetCapturedExceptions(after));

  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Connection refused");
  EXPECT_EQ(lines[1], "UnknownException");
  EXPECT_EQ(after, lines);  // stopping keeps the lines
  // A second start empties the list.
  StartExceptionCapture();
  GetCapturedExceptions(lines);
  EXPECT_TRUE(lines.empty());
  StopExceptionCapture();
}

TEST(ExceptionCodeName, KnownCodesAndTheRest) {
  EXPECT_EQ(ExceptionCodeName(0xC0000005u), "EXCEPTION_ACCESS_VIOLATION");
  EXPECT_EQ(ExceptionCodeName(0xC00000FDu), "EXCEPTION_STACK_OVERFLOW");
  EXPECT_EQ(ExceptionCodeName(0x80000003u), "EXCEPTION_BREAKPOINT");
  EXPECT_EQ(ExceptionCodeName(0xC0000094u), "EXCEPTION_INT_DIVIDE_BY_ZERO");
  EXPECT_EQ(ExceptionCodeName(0x0EEDFADEu), "UnknownException");
}

// A tree of fake controls, their state held by name.
class FakeControl : public Control {
 public:
  FakeControl(std::map<std::string, bool>* state, std::string name,
              std::map<std::string, std::vector<std::string>>* kids)
      : state_(state), name_(std::move(name)), kids_(kids) {}
  bool IsEnabled() const override { return state_->at(name_); }
  void SetEnabled(bool e) override { (*state_)[name_] = e; }
  const void* Id() const override { return &state_->find(name_)->first; }
  std::vector<std::unique_ptr<Control>> Children() const override {
    std::vector<std::unique_ptr<Control>> out;
    for (const auto& k : (*kids_)[name_]) out.push_back(std::make_unique<FakeControl>(state_, k, kids_));
    return out;
  }

 private:
  std::map<std::string, bool>* state_;
  std::string name_;
  std::map<std::string, std::vector<std::string>>* kids_;
};

TEST(BusyGuard, DisablesAllAndRestoresAllButThoseDisabledBefore) {
  std::map<std::string, bool> state = {
      {"window", true}, {"page", true}, {"start", true}, {"install", false}, {"list", true}};
  std::map<std::string, std::vector<std::string>> kids = {
      {"window", {"page"}}, {"page", {"start", "install", "list"}}};
  FakeControl window(&state, "window", &kids);
  DisableControlTree(window);
  for (const auto& [name, enabled] : state) EXPECT_FALSE(enabled) << name;
  RestoreControlTree(window);
  EXPECT_FALSE(state["install"]);
  EXPECT_TRUE(state["window"] && state["page"] && state["start"] && state["list"]);
  // The memory is cleared: a later guard starts afresh.
  state["install"] = true;
  DisableControlTree(window);
  RestoreControlTree(window);
  EXPECT_TRUE(state["install"]);
}

}  // namespace
}  // namespace lmr
