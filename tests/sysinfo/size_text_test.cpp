#include <gtest/gtest.h>

#include <string>

#include "sysinfo/drives.h"
#include "sysinfo/memory_status.h"

namespace lmr {
namespace {

TEST(MemorySizeText, RoundsMebibytesHalfToEven) {
  const struct {
    uint64_t bytes;
    std::string text;
  } cases[] = {
      {0, "0MB"},
      {536330240, "511MB"},
      {2147352576, "2048MB"},
      {2147483647, "2048MB"},
      {4294967295u, "4096MB"},
      {2621440, "2MB"},   // 2.5: tie to even
      {3670016, "4MB"},   // 3.5: tie to even
      {2621441, "3MB"},
      {3670015, "3MB"},
      {1572864, "2MB"},   // 1.5
      {25769803776u, "24576MB"},
      {uint64_t{1} << 40, "1048576MB"},
  };
  for (const auto& c : cases) EXPECT_EQ(MemorySizeText(c.bytes), c.text) << c.bytes;
}

TEST(DriveSizeText, WritesWholeMebibytes) {
  EXPECT_EQ(DriveSizeText(0), "0MB");
  EXPECT_EQ(DriveSizeText(1), "1MB");
  EXPECT_EQ(DriveSizeText(38146), "38146MB");
  EXPECT_EQ(DriveSizeText(8796093022208), "8796093022208MB");
}

}  // namespace
}  // namespace lmr
