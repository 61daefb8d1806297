// The Windows probes checked against what the host says independently.
// Under Wine the host's /proc is reachable through drive Z:.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "sysinfo/drives.h"
#include "sysinfo/memory_status.h"
#include "sysinfo/memory_status_win32.h"
#include "sysinfo/processor.h"
#include "sysinfo/version_text.h"

namespace lmr {
namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The value after "key<blanks>:" on the first such line of a host file, trimmed; empty when absent.
std::string HostField(const char* path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    name.erase(name.find_last_not_of(" \t") + 1);
    if (name != key) continue;
    const size_t start = line.find_first_not_of(" \t", colon + 1);
    if (start == std::string::npos) return "";
    std::string value = line.substr(start);
    value.erase(value.find_last_not_of(" \t\r") + 1);
    return value;
  }
  return "";
}

std::string RegistryText(const char* key, const char* value) {
  HKEY hkey;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &hkey) != ERROR_SUCCESS) return "";
  char buffer[256] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(hkey, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(hkey);
  return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(buffer) : std::string();
}

// The system's own reading of the brand string. The host's /proc/cpuinfo is
// no witness: a virtual machine's kernel may name the processor otherwise
// than CPUID does to programs.
TEST(PlatformProbes, ProcessorNameIsTheSystemsProcessorNameString) {
  const std::string expected =
      RegistryText("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString");
  if (expected.empty()) GTEST_SKIP() << "the system keeps no processor name";
  ASSERT_TRUE(CpuidAvailable());
  int warnings = 0;
  TProcessorInfo info;
  GetProcessorInfo([&](const std::string&, const std::string&) { ++warnings; }, info);
  EXPECT_EQ(info.Name, expected);
  EXPECT_EQ(warnings, 0);
}

TEST(PlatformProbes, TotalPhysIsTheHostsMemTotal) {
  const std::string memTotal = HostField("Z:\\proc\\meminfo", "MemTotal");
  if (memTotal.empty()) GTEST_SKIP() << "the host's /proc/meminfo is not reachable";
  const uint64_t hostBytes = std::stoull(memTotal) * 1024;
  const uint64_t probeBytes = GetMemoryStatus().dwTotalPhys;
  const uint64_t difference = std::max(hostBytes, probeBytes) - std::min(hostBytes, probeBytes);
  // Wine counts whole pages; anything else is a different figure.
  EXPECT_LT(difference, 1048576u) << "host " << hostBytes << ", probe " << probeBytes;
}

BOOL WINAPI FakeStatusEx(LPMEMORYSTATUSEX ex) {
  if (ex->dwLength != sizeof(MEMORYSTATUSEX)) return FALSE;
  ex->dwMemoryLoad = 37;
  ex->ullTotalPhys = 0x600000001ull;
  ex->ullAvailPhys = 0x500000002ull;
  ex->ullTotalPageFile = 0x700000003ull;
  ex->ullAvailPageFile = 0x400000004ull;
  ex->ullTotalVirtual = 0x7FFFFFFE0000ull;
  ex->ullAvailVirtual = 0x7FFF00000005ull;
  return TRUE;
}

BOOL WINAPI FailingStatusEx(LPMEMORYSTATUSEX) { return FALSE; }

TEST(MemoryStatusFrom, TakesTheExtendedFiguresWholeAndFallsBackToThePlainCall) {
  const TMemoryStatus ex = MemoryStatusFrom(&FakeStatusEx);
  EXPECT_EQ(ex.dwMemoryLoad, 37u);
  EXPECT_EQ(ex.dwTotalPhys, 0x600000001ull);
  EXPECT_EQ(ex.dwAvailPhys, 0x500000002ull);
  EXPECT_EQ(ex.dwTotalPageFile, 0x700000003ull);
  EXPECT_EQ(ex.dwAvailPageFile, 0x400000004ull);
  EXPECT_EQ(ex.dwTotalVirtual, 0x7FFFFFFE0000ull);
  EXPECT_EQ(ex.dwAvailVirtual, 0x7FFF00000005ull);

  MEMORYSTATUS plain = {};
  plain.dwLength = sizeof plain;
  GlobalMemoryStatus(&plain);
  for (GlobalMemoryStatusExFn fallback : {GlobalMemoryStatusExFn{}, &FailingStatusEx}) {
    const TMemoryStatus status = MemoryStatusFrom(fallback);
    EXPECT_EQ(status.dwTotalPhys, plain.dwTotalPhys);
    EXPECT_EQ(status.dwTotalVirtual, plain.dwTotalVirtual);
  }
  EXPECT_NE(FindGlobalMemoryStatusEx(), nullptr);
}

TEST(PlatformProbes, VersionTextFollowsWinesRegistry) {
  if (!UnderWine()) GTEST_SKIP() << "only Wine keeps the reported version in the registry";
  const char* key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  const std::string version = RegistryText(key, "CurrentVersion");
  const std::string servicePack = RegistryText(key, "CSDVersion");
  if (version.rfind("5.", 0) == 0 || version.rfind("4.", 0) == 0)
    GTEST_SKIP() << "the prefix reports Windows " << version << ", named by edition";
  EXPECT_EQ(WindowsVersionText(), "Windows NT " + version + " " + servicePack);
}

TEST(PlatformProbes, WineMapsDrivesCAndZAsFixed) {
  if (!UnderWine()) GTEST_SKIP() << "the drive letters are Wine's";
  TUU_NDDrivesInfo drives;
  GetFixedDrives(drives);
  for (const char* root : {"C:\\", "Z:\\"}) {
    SCOPED_TRACE(root);
    auto it = std::find_if(drives.begin(), drives.end(), [&](const TUU_NDDriveInfo& d) { return d.Name == root; });
    ASSERT_NE(it, drives.end());
    EXPECT_EQ(it->InfoEx, "");
    EXPECT_GT(it->TotalSpace, 0);
    EXPECT_LE(it->FreeSpace, it->TotalSpace);
  }
}

}  // namespace
}  // namespace lmr
