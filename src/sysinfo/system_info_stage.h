#pragma once
// The system page's stage: the "SystemInfo" section of the report.
#include <string>
#include <vector>

#include "shell/step_protocol.h"
#include "sysinfo/drives.h"
#include "sysinfo/memory_status.h"
#include "sysinfo/processor.h"

namespace lmr {

// Captions of the system page's progress list, in step order.
const std::vector<std::string>& SystemStepCaptions();

// Where the stage's findings come from; the machine's own probes by default.
class SystemInfoSources {
 public:
  virtual ~SystemInfoSources() = default;
  virtual std::string LocalTime();
  virtual std::string OSVersion();
  virtual std::string ComputerName();
  virtual std::string UserName();
  virtual TProcessorInfo Processor(const TWarningBox& warn);
  virtual TMemoryStatus Memory();
  virtual TUU_NDDrivesInfo Drives();
};

void WriteOSVersion(TTavXMLLogProvider& writer, const std::string& versionText);
void WriteCPU(TTavXMLLogProvider& writer, const TProcessorInfo& info);
void WriteMemory(TTavXMLLogProvider& writer, const TMemoryStatus& status);
void WriteHardDrives(TTavXMLLogProvider& writer, const TUU_NDDrivesInfo& drives);

// Runs the five steps; the warning box is shown for a processor without CPUID.
void RunSystemInfoStage(StageHost& host, SystemInfoSources& sources, const TWarningBox& warn);

}  // namespace lmr
