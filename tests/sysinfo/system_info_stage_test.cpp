#include "sysinfo/system_info_stage.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/text1251.h"
#include "shell/fake_progress_list.h"
#include "test_support.h"

namespace lmr {
namespace {

using ListFake = test::FakeProgressList;

class FixedSources : public SystemInfoSources {
 public:
  std::string LocalTime() override { return Utf8To1251("9.12 2026г 14:5:7:31"); }
  std::string OSVersion() override { return "Windows XP Professional Service Pack 2"; }
  std::string ComputerName() override { return "CLASSROOM1"; }
  std::string UserName() override { return "teacher"; }
  TProcessorInfo Processor(const TWarningBox&) override {
    if (failCpu) throw std::runtime_error("CPU probe failed");
    return {"Example(R) Processor 2.40GHz"};
  }
  TMemoryStatus Memory() override {
    TMemoryStatus m;
    m.dwTotalPhys = 536330240;
    m.dwTotalVirtual = 2147352576;
    return m;
  }
  TUU_NDDrivesInfo Drives() override { return drives; }
  bool failCpu = false;
  TUU_NDDrivesInfo drives = {{"C:\\", "The disk cannot be removed from the drive.", "DRIVE_FIXED", "", 20000, 38146}};
};

struct StageRun {
  std::string report;
  std::vector<std::string> lines;
  std::vector<std::uint32_t> waits;
  std::string error;
};

StageRun RunStage(FixedSources& sources, const std::string& file) {
  StageRun r;
  ListFake list;
  FillProgressList(list, SystemStepCaptions());
  int current = -1;
  {
    TTavXMLLogProvider writer(file);
    ProgressSteps steps(list, "Complete", current);
    StageHost host{writer, steps, [&](std::uint32_t ms) { r.waits.push_back(ms); }};
    try {
      RunSystemInfoStage(host, sources, nullptr);
    } catch (const std::exception& e) {
      r.error = e.what();
    }
  }
  r.report = test::ReadAll(file);
  r.lines = list.lines;
  return r;
}

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<S.xml>\n\r";

TEST(RunSystemInfoStage, WorkedExampleIsByteExact) {
  FixedSources sources;
  StageRun r = RunStage(sources, "S.xml");
  EXPECT_EQ(r.report, kHead +
                          "<SystemInfo><Time>9.12 2026\xE3 14:5:7:31</Time>\r\n"
                          "<OSVersion>Windows XP Professional Service Pack 2</OSVersion>\r\n"
                          "<ComputerName>CLASSROOM1</ComputerName>\r\n"
                          "<User>teacher</User>\r\n"
                          "<CPU>Example(R) Processor 2.40GHz</CPU>\r\n"
                          "<TotalPhys>511MB</TotalPhys>\r\n"
                          "<TotalVirtual>2048MB</TotalVirtual>\r\n"
                          "<HardDrives><Drive0><Name>C:&#0092;</Name>\r\n"
                          "<DriveTypeInfo>The disk cannot be removed from the drive.</DriveTypeInfo>\r\n"
                          "<DriveTypeWinConst>DRIVE_FIXED</DriveTypeWinConst>\r\n"
                          "<InfoEx></InfoEx>\r\n"
                          "<TotalSpace>38146MB</TotalSpace>\r\n"
                          "<FreeSpace>20000MB</FreeSpace>\r\n"
                          "</Drive0></HardDrives></SystemInfo></S.xml>");
  EXPECT_EQ(r.lines, (std::vector<std::string>{"OS Version: Complete", "Computer & User Name: Complete",
                                               "CPU: Complete", "Memory: Complete", "HardDrives: Complete"}));
  EXPECT_EQ(r.waits, std::vector<std::uint32_t>{1000});
}

TEST(RunSystemInfoStage, NoFixedDriveGivesAnEmptyHardDrives) {
  FixedSources sources;
  sources.drives.clear();
  StageRun r = RunStage(sources, "S.xml");
  EXPECT_NE(r.report.find("\r\n<HardDrives></HardDrives></SystemInfo>"), std::string::npos);
  EXPECT_EQ(r.lines.back(), "HardDrives: Complete");
}

TEST(RunSystemInfoStage, DriveNumbersFollowTheListNotTheLetter) {
  FixedSources sources;
  sources.drives.push_back({"E:\\", "x", "DRIVE_FIXED", "Cannot get disk info", 0, 0});
  StageRun r = RunStage(sources, "S.xml");
  EXPECT_NE(r.report.find("<Drive1><Name>E:&#0092;</Name>"), std::string::npos);
  EXPECT_NE(r.report.find("<InfoEx>Cannot get disk info</InfoEx>\r\n<TotalSpace>0MB</TotalSpace>"),
            std::string::npos);
}

TEST(RunSystemInfoStage, FailingProbeMarksItsStepClosesTheSectionAndSkipsTheRest) {
  FixedSources sources;
  sources.failCpu = true;
  StageRun r = RunStage(sources, "S.xml");
  EXPECT_EQ(r.error, "CPU probe failed");
  EXPECT_EQ(r.lines, (std::vector<std::string>{"OS Version: Complete", "Computer & User Name: Complete",
                                               "CPU: Complete", "Memory: ", "HardDrives: "}));
  EXPECT_TRUE(r.waits.empty());
  const std::string tail = "<User>teacher</User>\r\n</SystemInfo></S.xml>";
  ASSERT_GE(r.report.size(), tail.size());
  EXPECT_EQ(r.report.substr(r.report.size() - tail.size()), tail);
}

}  // namespace
}  // namespace lmr
