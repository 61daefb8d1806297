#pragma once
// The CPUID instruction itself, shared by the Windows and native probes.
#include <cstdint>

#include "sysinfo/processor.h"

namespace lmr {

// True when bit 21 of the flags register can be changed, which is how a
// processor shows that it has CPUID.
bool CpuidInstructionAvailable();

// Executes CPUID for the leaf with ECX 0; all zeros where there is no CPUID.
TCpuidRegisters ExecuteCpuid(uint32_t leaf);

}  // namespace lmr
