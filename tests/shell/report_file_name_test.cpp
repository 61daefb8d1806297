#include "shell/report_file_name.h"

#include <gtest/gtest.h>

namespace lmr {
namespace {

TEST(ReportFileName, EveryOccurrenceOfTheExtensionGoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"LMRTSWizard.exe", "LMRTSWizard.xml"},
      {"Wizard", "Wizard.xml"},
      {"a.exe.tool.exe", "a.tool.xml"},
      {"Wizard.EXE", "Wizard.xml"},
      {"Case.exe.EXE", "Case.exe.xml"},  // case-sensitive removal
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ReportFileNameFor(in), out) << in;
}

}  // namespace
}  // namespace lmr
