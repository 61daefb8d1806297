#include "sysinfo/system_info_stage.h"

#include "common/local_time.h"
#include "common/system_text.h"
#include "sysinfo/version_text.h"

namespace lmr {

const std::vector<std::string>& SystemStepCaptions() {
  static const std::vector<std::string> captions = {
      "OS Version: ", "Computer & User Name: ", "CPU: ", "Memory: ", "HardDrives: "};
  return captions;
}

std::string SystemInfoSources::LocalTime() { return LocalTimeText(""); }
std::string SystemInfoSources::OSVersion() { return WindowsVersionText(); }
std::string SystemInfoSources::ComputerName() { return LocalComputerName(); }
std::string SystemInfoSources::UserName() { return CurrentUserName(); }

TProcessorInfo SystemInfoSources::Processor(const TWarningBox& warn) {
  TProcessorInfo info;
  GetProcessorInfo(warn, info);
  return info;
}

TMemoryStatus SystemInfoSources::Memory() { return GetMemoryStatus(); }

TUU_NDDrivesInfo SystemInfoSources::Drives() {
  TUU_NDDrivesInfo drives;
  GetFixedDrives(drives);
  return drives;
}

void WriteOSVersion(TTavXMLLogProvider& writer, const std::string& versionText) {
  writer.WriteValue("OSVersion", versionText);
}

void WriteCPU(TTavXMLLogProvider& writer, const TProcessorInfo& info) { writer.WriteValue("CPU", info.Name); }

void WriteMemory(TTavXMLLogProvider& writer, const TMemoryStatus& status) {
  writer.WriteValue("TotalPhys", MemorySizeText(status.dwTotalPhys));
  writer.WriteValue("TotalVirtual", MemorySizeText(status.dwTotalVirtual));
}

void WriteHardDrives(TTavXMLLogProvider& writer, const TUU_NDDrivesInfo& drives) {
  GuardedNode hardDrives(writer, "HardDrives");
  for (size_t n = 0; n < drives.size(); ++n) {
    const TUU_NDDriveInfo& d = drives[n];
    GuardedNode drive(writer, "Drive" + std::to_string(n));
    writer.WriteValue("Name", d.Name);
    writer.WriteValue("DriveTypeInfo", d.DriveTypeInfo);
    writer.WriteValue("DriveTypeWinConst", d.DriveTypeWinConst);
    writer.WriteValue("InfoEx", d.InfoEx);
    writer.WriteValue("TotalSpace", DriveSizeText(d.TotalSpace));
    writer.WriteValue("FreeSpace", DriveSizeText(d.FreeSpace));
  }
}

void RunSystemInfoStage(StageHost& host, SystemInfoSources& sources, const TWarningBox& warn) {
  TTavXMLLogProvider& w = host.ReportWriter;
  const auto& caption = SystemStepCaptions();
  {
    GuardedNode section(w, "SystemInfo");
    w.WriteValue("Time", sources.LocalTime());
    {
      GuardedStep step(host.Steps, caption[0]);
      WriteOSVersion(w, sources.OSVersion());
    }
    {
      GuardedStep step(host.Steps, caption[1]);
      w.WriteValue("ComputerName", sources.ComputerName());
      w.WriteValue("User", sources.UserName());
    }
    {
      GuardedStep step(host.Steps, caption[2]);
      WriteCPU(w, sources.Processor(warn));
    }
    {
      GuardedStep step(host.Steps, caption[3]);
      WriteMemory(w, sources.Memory());
    }
    {
      GuardedStep step(host.Steps, caption[4]);
      WriteHardDrives(w, sources.Drives());
    }
  }
  host.Wait(1000);
}

}  // namespace lmr
