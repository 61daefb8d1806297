#include <windows.h>

#include "sysinfo/cpuid_x86.h"
#include "sysinfo/processor.h"

namespace lmr {

namespace {
class TWin32ProcessorProbe : public TProcessorProbe {
 public:
  bool CpuidAvailable() override { return CpuidInstructionAvailable(); }
  TCpuidRegisters Cpuid(uint32_t leaf) override { return ExecuteCpuid(leaf); }
  uint32_t ProcessorType() override {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwProcessorType;
  }
};
}  // namespace

TProcessorProbe& PlatformProcessorProbe() {
  static TWin32ProcessorProbe probe;
  return probe;
}

}  // namespace lmr
