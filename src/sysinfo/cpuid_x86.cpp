#include "sysinfo/cpuid_x86.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace lmr {

bool CpuidInstructionAvailable() {
#if defined(__i386__)
  uint32_t changed;
  uint32_t original;
  __asm__ volatile(
      "pushfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %0\n\t"
      "pushl %0\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "popfl\n\t"
      : "=&r"(changed), "=&r"(original)
      :
      : "cc");
  return ((changed ^ original) & 0x200000u) != 0;
#elif defined(__x86_64__)
  // Every 64-bit x86 processor has CPUID.
  return true;
#else
  return false;
#endif
}

TCpuidRegisters ExecuteCpuid(uint32_t leaf) {
  TCpuidRegisters r;
#if defined(__i386__) || defined(__x86_64__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(leaf, 0, a, b, c, d);
  r.Eax = a;
  r.Ebx = b;
  r.Ecx = c;
  r.Edx = d;
#else
  (void)leaf;
#endif
  return r;
}

}  // namespace lmr
