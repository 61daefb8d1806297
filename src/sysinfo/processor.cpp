#include "sysinfo/processor.h"

namespace lmr {

const char* const kNoCpuidWarningText = "This CPU does not support the CPUID instruction!!!";
const char* const kNoCpuidWarningCaption = "Warning";
const char* const kUnidentifiedCpuName = "Unidentified CPU";

namespace {
constexpr size_t kMaxNameLength = 128;
constexpr uint32_t kHighestExtendedLeaf = 0x80000000u;
constexpr uint32_t kFirstBrandLeaf = 0x80000002u;

void AppendRegister(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}
}  // namespace

std::string BrandStringFromRegisters(const std::array<TCpuidRegisters, 3>& leaves) {
  std::string brand;
  for (const TCpuidRegisters& r : leaves) {
    AppendRegister(brand, r.Eax);
    AppendRegister(brand, r.Ebx);
    AppendRegister(brand, r.Ecx);
    AppendRegister(brand, r.Edx);
  }
  return brand;
}

bool HasBrandString(uint32_t highestExtendedLeaf) { return (highestExtendedLeaf & 0x7FFFFFFFu) != 0; }

std::string ProcessorTypeName(uint32_t processorType) {
  switch (processorType) {
    case 386: return "Generic 386 CPU";
    case 486: return "Generic 486 CPU";
    case 586: return "Pentium Class CPU";
    default: return "Unknown CPU";
  }
}

std::string TrimProcessorName(const std::string& name) {
  const std::string kept = name.substr(0, kMaxNameLength);
  auto visible = [](char c) { return static_cast<unsigned char>(c) >= 33; };
  size_t first = 0;
  while (first < kept.size() && !visible(kept[first])) ++first;
  size_t last = kept.size();
  while (last > first && !visible(kept[last - 1])) --last;
  return kept.substr(first, last - first);
}

void GetProcessorInfo(TProcessorProbe& probe, const TWarningBox& warn, TProcessorInfo& info) {
  std::string name;
  if (!probe.CpuidAvailable()) {
    warn(kNoCpuidWarningText, kNoCpuidWarningCaption);
    name = kUnidentifiedCpuName;
  } else if (HasBrandString(probe.Cpuid(kHighestExtendedLeaf).Eax)) {
    std::array<TCpuidRegisters, 3> leaves;
    for (uint32_t i = 0; i < leaves.size(); ++i) leaves[i] = probe.Cpuid(kFirstBrandLeaf + i);
    name = BrandStringFromRegisters(leaves);
  } else {
    name = ProcessorTypeName(probe.ProcessorType());
  }
  info.Name = TrimProcessorName(name);
}

void GetProcessorInfo(const TWarningBox& warn, TProcessorInfo& info) {
  GetProcessorInfo(PlatformProcessorProbe(), warn, info);
}

bool CpuidAvailable() { return PlatformProcessorProbe().CpuidAvailable(); }

}  // namespace lmr
