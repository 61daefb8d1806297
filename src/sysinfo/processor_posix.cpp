#include "sysinfo/cpuid_x86.h"
#include "sysinfo/processor.h"

namespace lmr {

namespace {
class TPosixProcessorProbe : public TProcessorProbe {
 public:
  bool CpuidAvailable() override { return CpuidInstructionAvailable(); }
  TCpuidRegisters Cpuid(uint32_t leaf) override { return ExecuteCpuid(leaf); }
  // The processor type Windows would report for this build's architecture.
  uint32_t ProcessorType() override {
#if defined(__x86_64__)
    return 8664;
#elif defined(__i386__)
    return 586;
#else
    return 0;
#endif
  }
};
}  // namespace

TProcessorProbe& PlatformProcessorProbe() {
  static TPosixProcessorProbe probe;
  return probe;
}

}  // namespace lmr
