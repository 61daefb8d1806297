#include "shell/step_protocol.h"

#include <gtest/gtest.h>

#include "common/text1251.h"
#include "shell/page_captions.h"
#include "shell/fake_progress_list.h"
#include "test_support.h"

namespace lmr {
namespace {

using ListFake = test::FakeProgressList;

TEST(ProgressSteps, FindsCaptionsWithoutRegardToCaseCyrillicIncluded) {
  ListFake list;
  FillProgressList(list, {"One: ", Utf8To1251("Ёлка: ")});
  int current = 7;
  ProgressSteps steps(list, "Complite", current);
  steps.BeginStep(Utf8To1251("ёЛКА: "));
  EXPECT_EQ(current, 1);
  steps.EndStep();
  EXPECT_EQ(list.lines[1], Utf8To1251("Ёлка: Complite"));
  steps.BeginStep("missing");
  EXPECT_EQ(current, -1);
  steps.EndStep();  // no line to mark
  EXPECT_EQ(list.lines, (std::vector<std::string>{"One: ", Utf8To1251("Ёлка: Complite")}));
}

TEST(ProgressSteps, FillingAppendsAndTheFirstEqualLineTakesTheMark) {
  ListFake list;
  FillProgressList(list, NetworkStepCaptions());
  FillProgressList(list, NetworkStepCaptions());  // a page shown twice
  int current = -1;
  ProgressSteps steps(list, "Complete", current);
  {
    GuardedStep step(steps, "Network Settings: ");
  }
  ASSERT_EQ(list.lines.size(), 6u);
  EXPECT_EQ(list.lines[0], "Network Settings: Complete");
  EXPECT_EQ(list.lines[3], "Network Settings: ");
}

TEST(SameTextIgnoringCase, Cp1251LettersBothCases) {
  EXPECT_TRUE(SameTextIgnoringCase(Utf8To1251("АБВГДЕЁЖЯ abc"), Utf8To1251("абвгдеёжя ABC")));
  EXPECT_TRUE(SameTextIgnoringCase(Utf8To1251("ЎЄЇІҐЂЉ"), Utf8To1251("ўєїіґђљ")));
  EXPECT_FALSE(SameTextIgnoringCase(Utf8To1251("Е"), Utf8To1251("Ё")));
  EXPECT_FALSE(SameTextIgnoringCase("ab", "abc"));
}

}  // namespace
}  // namespace lmr
