#include "sysinfo/version_text.h"

namespace lmr {

namespace {

constexpr uint32_t kPlatformNT = 2;
constexpr size_t kCSDVersionSize = 128;

// Suite masks are matched as whole values: a mask with one more flag beside
// the one named here matches nothing.
constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteEmbeddedNT = 0x0040;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;

std::string Server2003Suffix(uint16_t suiteMask) {
  switch (suiteMask) {
    case kSuiteEnterprise: return ", Enterprise Edition";
    case kSuiteDatacenter: return ", Datacenter Edition";
    case kSuiteBlade: return ", Web Edition";
    default: return "";
  }
}

std::string VersionName(const TOSVersionFigures& f) {
  const uint32_t major = f.dwMajorVersion;
  const uint32_t minor = f.dwMinorVersion;
  if (major == 4) {
    switch (minor) {
      case 0: return f.dwPlatformId == kPlatformNT ? "NT 4.0" : "95";
      case 10: return "98";
      case 90: return "Me";
      default: return "9x";
    }
  }
  if (major == 5) {
    switch (minor) {
      case 0:
        if (f.wSuiteMask == kSuiteEnterprise) return "2000 Advanced Server";
        return f.wProductType > 1 ? "2000 Server" : "2000";
      case 1:
        if (f.wSuiteMask == kSuiteEmbeddedNT) return "XP Embedded";
        if (f.wSuiteMask == kSuitePersonal) return "XP Home";
        return "XP Professional";
      case 2:
        return (f.wProductType > 1 ? "2003 Server" : "2003") + Server2003Suffix(f.wSuiteMask);
      default:
        return "NT 5." + std::to_string(minor);
    }
  }
  return "NT " + std::to_string(major) + "." + std::to_string(minor);
}

}  // namespace

std::string WindowsVersionText(const TOSVersionFigures& figures) {
  const std::string& csd = figures.szCSDVersion;
  const std::string servicePack = csd.substr(0, csd.find('\0')).substr(0, kCSDVersionSize);
  return "Windows " + VersionName(figures) + " " + servicePack;
}

std::string WindowsVersionText() { return WindowsVersionText(QueryOSVersionFigures()); }

}  // namespace lmr
