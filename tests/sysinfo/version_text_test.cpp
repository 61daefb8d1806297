#include <gtest/gtest.h>

#include <string>

#include "sysinfo/version_text.h"

namespace lmr {
namespace {

struct VersionCase {
  uint32_t major;
  uint32_t minor;
  uint32_t platform;
  uint16_t suite;
  uint8_t productType;
  std::string csd;
  std::string expected;
};

TEST(WindowsVersionText, DecisionTable) {
  using namespace std::string_literals;
  const std::string longCsd(200, 'x');
  const VersionCase cases[] = {
      {4, 0, 2, 0, 1, "Service Pack 6", "Windows NT 4.0 Service Pack 6"},
      {4, 0, 1, 0, 0, "", "Windows 95 "},
      {4, 10, 1, 0, 0, " A ", "Windows 98  A "},
      {4, 90, 1, 0, 0, "", "Windows Me "},
      {4, 3, 1, 0, 0, "", "Windows 9x "},
      {4, 10, 2, 0, 1, "", "Windows 98 "},
      // 5.0: the whole mask decides before the product type.
      {5, 0, 2, 0x0002, 3, "SP4", "Windows 2000 Advanced Server SP4"},
      {5, 0, 2, 0x0002, 1, "", "Windows 2000 Advanced Server "},
      {5, 0, 2, 0x0000, 3, "", "Windows 2000 Server "},
      {5, 0, 2, 0x0000, 2, "", "Windows 2000 Server "},
      {5, 0, 2, 0x0003, 1, "", "Windows 2000 "},
      {5, 0, 2, 0x0000, 0, "", "Windows 2000 "},
      // 5.1
      {5, 1, 2, 0x0040, 1, "", "Windows XP Embedded "},
      {5, 1, 2, 0x0200, 1, "Service Pack 2", "Windows XP Home Service Pack 2"},
      {5, 1, 2, 0x0300, 1, "Service Pack 2", "Windows XP Professional Service Pack 2"},
      {5, 1, 2, 0x0000, 1, "", "Windows XP Professional "},
      // 5.2: the suffix follows the mask alone.
      {5, 2, 2, 0x0002, 3, "Service Pack 1", "Windows 2003 Server, Enterprise Edition Service Pack 1"},
      {5, 2, 2, 0x0080, 2, "", "Windows 2003 Server, Datacenter Edition "},
      {5, 2, 2, 0x0400, 1, "", "Windows 2003, Web Edition "},
      {5, 2, 2, 0x0082, 3, "", "Windows 2003 Server "},
      {5, 2, 2, 0x0000, 1, "", "Windows 2003 "},
      {5, 2, 2, 0x0000, 255, "", "Windows 2003 Server "},
      // Everything else by number.
      {5, 3, 2, 0, 1, "", "Windows NT 5.3 "},
      {6, 0, 2, 0, 1, "", "Windows NT 6.0 "},
      {3, 51, 2, 0, 1, "", "Windows NT 3.51 "},
      {6, 1, 2, 0x0100, 1, "Service Pack 1", "Windows NT 6.1 Service Pack 1"},
      {10, 0, 2, 0, 1, "", "Windows NT 10.0 "},
      {4294967295u, 12, 2, 0, 1, "", "Windows NT 4294967295.12 "},
      // The service-pack text ends at its first zero byte and its 128th byte.
      {5, 1, 2, 0, 1, "Service Pack 3\0garbage"s, "Windows XP Professional Service Pack 3"},
      {5, 1, 2, 0, 1, "\0Service Pack 3"s, "Windows XP Professional "},
      {5, 1, 2, 0, 1, longCsd, "Windows XP Professional " + std::string(128, 'x')},
  };
  for (const VersionCase& c : cases) {
    TOSVersionFigures f;
    f.dwMajorVersion = c.major;
    f.dwMinorVersion = c.minor;
    f.dwPlatformId = c.platform;
    f.wSuiteMask = c.suite;
    f.wProductType = c.productType;
    f.szCSDVersion = c.csd;
    EXPECT_EQ(WindowsVersionText(f), c.expected)
        << c.major << "." << c.minor << " platform " << c.platform << " suite " << c.suite << " type "
        << int{c.productType};
  }
}

}  // namespace
}  // namespace lmr
