#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sysinfo/processor.h"

namespace lmr {
namespace {

using namespace std::string_literals;

TEST(BrandString, TakesRegistersInOrderLowByteFirst) {
  const std::array<TCpuidRegisters, 3> leaves = {{
      {0x64636261, 0x68676665, 0x6C6B6A69, 0x706F6E6D},
      {0x74737271, 0x78777675, 0x42417A79, 0x46454443},
      {0x00004847, 0x20000000, 0x00FF0000, 0x3231207F},
  }};
  EXPECT_EQ(BrandStringFromRegisters(leaves),
            "abcdefghijklmnopqrstuvwxyzABCDEFGH\0\0\0\0\0 \0\0\xFF\0\x7F 12"s);
}

TEST(ProcessorName, TrimsEndsBelowCode33AfterKeepingAt128) {
  const std::string blanksAt120 = std::string(120, 'n') + std::string(8, ' ') + "XY";
  const struct {
    std::string raw;
    std::string expected;
  } cases[] = {
      {"   Example(R) Processor 2.40GHz\0\0\0"s, "Example(R) Processor 2.40GHz"},
      {"\t\x1F\x01 Core\0Duo\x20\0"s, "Core\0Duo"s},
      {"!x!", "!x!"},
      {"\xAE" "CPU\xC0", "\xAE" "CPU\xC0"},
      {std::string(48, '\0'), ""},
      {blanksAt120, std::string(120, 'n')},
      {std::string(140, 'z'), std::string(128, 'z')},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimProcessorName(c.raw), c.expected) << c.raw;
}

// Packs a 48-byte brand string the way the processor hands it out.
std::array<TCpuidRegisters, 3> BrandRegisters(const std::string& brand48) {
  std::array<TCpuidRegisters, 3> leaves;
  auto word = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t{static_cast<unsigned char>(brand48.at(at + i))} << (8 * i);
    return v;
  };
  for (size_t leaf = 0; leaf < 3; ++leaf) {
    const size_t at = leaf * 16;
    leaves[leaf] = {word(at), word(at + 4), word(at + 8), word(at + 12)};
  }
  return leaves;
}

class FakeProcessor : public TProcessorProbe {
 public:
  bool hasCpuid = true;
  uint32_t highestExtendedLeaf = 0;
  std::map<uint32_t, TCpuidRegisters> leaves;
  uint32_t processorType = 0;
  std::vector<uint32_t> executed;

  bool CpuidAvailable() override { return hasCpuid; }
  TCpuidRegisters Cpuid(uint32_t leaf) override {
    executed.push_back(leaf);
    if (leaf == 0x80000000u) return {highestExtendedLeaf, 0, 0, 0};
    return leaves[leaf];
  }
  uint32_t ProcessorType() override { return processorType; }

  void SetBrand(const std::string& brand48) {
    const auto regs = BrandRegisters(brand48);
    for (uint32_t i = 0; i < 3; ++i) leaves[0x80000002u + i] = regs[i];
  }
};

struct Warning {
  std::string text;
  std::string caption;
};

TEST(GetProcessorInfo, NamesTheProcessor) {
  std::string example = "      Example(R) Processor 2.40GHz"s;
  example.resize(48, '\0');
  std::string gap = "Intel\0Core  Something    "s;
  gap.resize(48, '\0');
  const struct {
    const char* what;
    uint32_t highest;
    std::string brand;
    uint32_t type;
    std::string expected;
  } cases[] = {
      {"brand string", 0x80000004u, example, 586, "Example(R) Processor 2.40GHz"},
      {"zero byte inside", 0x80000008u, gap, 586, "Intel\0Core  Something"s},
      {"leaf 0x80000001 still reads the brand", 0x80000001u, "?" + std::string(46, '\0') + "!", 586,
       "?" + std::string(46, '\0') + "!"},
      {"no extended leaves, 386", 0x80000000u, "", 386, "Generic 386 CPU"},
      {"no extended leaves, 486", 0x80000000u, "", 486, "Generic 486 CPU"},
      {"no extended leaves, 586", 0x80000000u, "", 586, "Pentium Class CPU"},
      {"no extended leaves, 8664", 0x80000000u, "", 8664, "Unknown CPU"},
      {"highest leaf 0", 0, "", 0, "Unknown CPU"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeProcessor cpu;
    cpu.highestExtendedLeaf = c.highest;
    if (!c.brand.empty()) cpu.SetBrand(c.brand);
    cpu.processorType = c.type;
    std::vector<Warning> warnings;
    TProcessorInfo info;
    GetProcessorInfo(cpu, [&](const std::string& t, const std::string& k) { warnings.push_back({t, k}); }, info);
    EXPECT_EQ(info.Name, c.expected);
    EXPECT_TRUE(warnings.empty());
  }
}

TEST(GetProcessorInfo, WithoutCpuidWarnsOnceAndNamesItUnidentified) {
  FakeProcessor cpu;
  cpu.hasCpuid = false;
  cpu.processorType = 586;
  std::vector<Warning> warnings;
  TProcessorInfo info;
  info.Name = "left over";
  GetProcessorInfo(cpu, [&](const std::string& t, const std::string& k) { warnings.push_back({t, k}); }, info);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].text, "This CPU does not support the CPUID instruction!!!");
  EXPECT_EQ(warnings[0].caption, "Warning");
  EXPECT_EQ(info.Name, "Unidentified CPU");
  EXPECT_TRUE(cpu.executed.empty());
}

}  // namespace
}  // namespace lmr
