#pragma once
// The one-line Windows version text of the "OSVersion" report value, built
// from six figures of the extended version record by a fixed decision table.
#include <cstdint>
#include <string>

namespace lmr {

struct TOSVersionFigures {
  uint32_t dwMajorVersion = 0;
  uint32_t dwMinorVersion = 0;
  uint32_t dwPlatformId = 0;
  // The record's 128-byte service-pack field as it stands; only the part up
  // to the first zero byte counts.
  std::string szCSDVersion;
  uint16_t wSuiteMask = 0;
  uint8_t wProductType = 0;
};

// The decision table: "Windows " + name + " " + service-pack text.
std::string WindowsVersionText(const TOSVersionFigures& figures);

// The figures of the machine the program runs on.
TOSVersionFigures QueryOSVersionFigures();

// The text for the machine the program runs on.
std::string WindowsVersionText();

}  // namespace lmr
