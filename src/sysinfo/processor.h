#pragma once
// Names the processor from its CPUID brand string, falling back to the
// platform's coarse processor type when there is no brand string.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace lmr {

struct TProcessorInfo {
  std::string Name;
};

struct TCpuidRegisters {
  uint32_t Eax = 0;
  uint32_t Ebx = 0;
  uint32_t Ecx = 0;
  uint32_t Edx = 0;
};

// What the name is taken from; the platform's is PlatformProcessorProbe().
class TProcessorProbe {
 public:
  virtual ~TProcessorProbe() = default;
  virtual bool CpuidAvailable() = 0;
  // CPUID for the leaf, the other input registers 0.
  virtual TCpuidRegisters Cpuid(uint32_t leaf) = 0;
  // dwProcessorType of GetSystemInfo.
  virtual uint32_t ProcessorType() = 0;
};

TProcessorProbe& PlatformProcessorProbe();

// Shows a modal warning box (text, caption) and returns when the user closes it.
using TWarningBox = std::function<void(const std::string& text, const std::string& caption)>;

extern const char* const kNoCpuidWarningText;
extern const char* const kNoCpuidWarningCaption;
extern const char* const kUnidentifiedCpuName;

// The 48 bytes of leaves 0x80000002..4, EAX EBX ECX EDX each, low byte first;
// zero bytes are kept.
std::string BrandStringFromRegisters(const std::array<TCpuidRegisters, 3>& leaves);

// A processor has a brand string when leaf 0x80000000 reports any extended
// leaf once bit 31 is cleared.
bool HasBrandString(uint32_t highestExtendedLeaf);

std::string ProcessorTypeName(uint32_t processorType);

// At most 128 characters, then every character below code 33 cut from both ends.
std::string TrimProcessorName(const std::string& name);

// Fills info; a processor without CPUID gets the warning box, then
// "Unidentified CPU".
void GetProcessorInfo(TProcessorProbe& probe, const TWarningBox& warn, TProcessorInfo& info);
void GetProcessorInfo(const TWarningBox& warn, TProcessorInfo& info);

bool CpuidAvailable();

}  // namespace lmr
