// The installation stage over one folder of many files against the least the
// same system calls cost: a plain loop that enumerates the folder, reads and
// queries each file's version resource and writes one line per entry.
// Half the files are copies of a small program with a version resource.
// Run under Wine: scripts/bench-install; directly: install_stage_bench FILES PE [ROUNDS]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/wide_win32.h"
#include "common/list_files.h"
#include "install/installation_sources_win32.h"

namespace {

// Wall time and the process's own processor time (user and kernel): other
// programs on the machine slow the first, hardly the second.
struct Clock {
  LONGLONG ticks;
  ULONGLONG cpu100ns;
};

struct Span {
  double wall = 0, cpu = 0;
};

Clock Now() {
  Clock c;
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  c.ticks = t.QuadPart;
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto value = [](const FILETIME& f) { return (ULONGLONG{f.dwHighDateTime} << 32) | f.dwLowDateTime; };
  c.cpu100ns = value(kernel) + value(user);
  return c;
}

Span Between(const Clock& from, const Clock& to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return {static_cast<double>(to.ticks - from.ticks) / static_cast<double>(f.QuadPart),
          static_cast<double>(to.cpu100ns - from.cpu100ns) / 1e7};
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "install_stage_bench: %s\n", what.c_str());
  std::exit(1);
}

std::string ReadWhole(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail("cannot open the program to copy");
  std::string bytes(GetFileSize(h, nullptr), '\0');
  DWORD n = 0;
  const BOOL ok = ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
  if (!ok || n != bytes.size()) Fail("cannot read the program to copy");
  return bytes;
}

void WriteWhole(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail("cannot create a file of the folder");
  DWORD n = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

std::wstring Name(const wchar_t* stem, int i, const wchar_t* extension) {
  wchar_t name[64];
  swprintf(name, 64, L"%ls%05d%ls", stem, i, extension);
  return name;
}

void MakeFolder(const std::wstring& folder, int files, const std::string& program) {
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < files; ++i) {
    if (i % 2 == 0)
      WriteWhole(folder + L"\\" + Name(L"module", i, L".dll"), program);
    else
      WriteWhole(folder + L"\\" + Name(L"note", i, L".txt"), "Version 7.7.7.7\r\n");
  }
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      DeleteFileW((folder + L"\\" + d.cFileName).c_str());
    } while (FindNextFileW(h, &d));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

// The least work that gives the same lines: wide names throughout, one
// reusable buffer, one write per entry. Returns the entries with a version.
int LimitLoop(const std::wstring& folder, const std::wstring& out) {
  HANDLE file = CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot create the limit loop's output");
  std::vector<char> block;
  std::wstring path, line;
  int versions = 0;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) Fail("cannot enumerate the folder");
  do {
    if (d.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY || !wcscmp(d.cFileName, L".") || !wcscmp(d.cFileName, L".."))
      continue;
    path.assign(folder).append(L"\\").append(d.cFileName);
    const wchar_t* text = L"FV not stored.";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size != 0) {
      block.resize(size);
      void* data = nullptr;
      UINT length = 0;
      if (GetFileVersionInfoW(path.c_str(), 0, size, block.data()) &&
          VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) && length >= 4) {
        const WORD* pair = static_cast<const WORD*>(data);
        wchar_t key[64];
        swprintf(key, 64, L"\\StringFileInfo\\%04X%04X\\FileVersion", pair[0], pair[1]);
        if (VerQueryValueW(block.data(), key, &data, &length)) {
          text = static_cast<const wchar_t*>(data);
          ++versions;
        }
      }
    }
    line.assign(d.cFileName).append(L" Version: ").append(text).append(L"\r\n");
    DWORD n = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &n, nullptr);
  } while (FindNextFileW(h, &d));
  FindClose(h);
  CloseHandle(file);
  return versions;
}

// psapi's counters, looked up at run time: kernel32 has them from Windows 7 on.
// The page-file figure is the process's private committed bytes.
struct Memory {
  double peakWorkingSetMiB = 0, workingSetMiB = 0, privateMiB = 0;
};

Memory MemoryNow() {
  using Query = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
  static Query query = [] {
    Query q = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32GetProcessMemoryInfo")));
    if (!q) {
      if (HMODULE psapi = LoadLibraryW(L"psapi.dll"))
        q = reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));
    }
    return q;
  }();
  Memory m;
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  if (query && query(GetCurrentProcess(), &c, sizeof c)) {
    m.peakWorkingSetMiB = c.PeakWorkingSetSize / 1048576.0;
    m.workingSetMiB = c.WorkingSetSize / 1048576.0;
    m.privateMiB = c.PagefileUsage / 1048576.0;
  }
  return m;
}

// The machine's sources, noting the process's private bytes now and then
// while the stage reads versions: its list is then at its largest.
class SampledSources : public lmr::TMachineInstallationSources {
 public:
  std::string FileVersion(const std::string& path) override {
    if (++calls_ % 128 == 0) mostPrivateMiB = std::max(mostPrivateMiB, MemoryNow().privateMiB);
    return lmr::TMachineInstallationSources::FileVersion(path);
  }
  double mostPrivateMiB = 0;

 private:
  int calls_ = 0;
};

double stagePrivateMiB = 0;  // the most private bytes seen inside any stage run

// The stage as the window runs it, but without its closing one-second wait.
Span StageRun(const std::string& folder, const std::string& report) {
  lmr::InstallationResult result;
  SampledSources sources;
  const Clock start = Now();
  {
    lmr::TTavXMLLogProvider writer(report);
    lmr::NoProgressList steps;
    lmr::StageHost host{writer, steps, [](std::uint32_t) {}};
    lmr::RunInstallationStage(host, folder, "", sources, result);
  }
  const Span span = Between(start, Now());
  stagePrivateMiB = std::max(stagePrivateMiB, sources.mostPrivateMiB);
  return span;
}

int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// What the stage's list of entries holds at its largest, allocator overhead
// aside: the array and each name with its version text.
double ListMiB(const std::string& folder) {
  std::vector<std::string> list = lmr::ListFiles(folder);
  for (std::string& entry : list) entry += " Version: 1.2.0.15";
  size_t bytes = list.capacity() * sizeof(std::string);
  for (const std::string& entry : list) {
    if (entry.capacity() > std::string().capacity()) bytes += entry.capacity() + 1;
  }
  return bytes / 1048576.0;
}

// The least of each figure: what the work costs with the least disturbance.
Span Least(const std::vector<Span>& spans) {
  Span least = spans.front();
  for (const Span& s : spans) {
    least.wall = std::min(least.wall, s.wall);
    least.cpu = std::min(least.cpu, s.cpu);
  }
  return least;
}

void Show(const char* what, const Span& s, int files) {
  std::printf("  %-11s wall %8.1f ms %7.1f us/file   process cpu %8.1f ms %7.1f us/file\n", what, s.wall * 1e3,
              s.wall * 1e6 / files, s.cpu * 1e3, s.cpu * 1e6 / files);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) Fail("usage: install_stage_bench FILES PROGRAM-WITH-VERSION [ROUNDS]");
  const int files = _wtoi(argv[1]);
  const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 3;
  if (files < 2) Fail("at least two files");
  const std::string program = ReadWhole(argv[2]);

  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  const std::wstring folder = std::wstring(current) + L"\\install_bench_" + std::to_wstring(files);
  RemoveFolder(folder);
  MakeFolder(folder, files, program);
  const std::string folder1251 = lmr::Narrow(folder);

  // A first pass of each warms the file cache and the loaded libraries, and
  // shows both find every version.
  const int expected = (files + 1) / 2;
  if (LimitLoop(folder, L"install_bench_limit.txt") != expected) Fail("the limit loop missed versions");
  const Memory before = MemoryNow();
  StageRun(folder1251, "install_bench_stage.xml");
  const std::string report = ReadWhole(L"install_bench_stage.xml");
  if (Count(report, " Version: 1.2.0.15<") != expected || Count(report, "<File") != files)
    Fail("the stage's report misses entries");

  std::vector<Span> limit, stage;
  for (int r = 0; r < rounds; ++r) {
    const Clock t0 = Now();
    LimitLoop(folder, L"install_bench_limit.txt");
    limit.push_back(Between(t0, Now()));
    stage.push_back(StageRun(folder1251, "install_bench_stage.xml"));
  }
  const Memory after = MemoryNow();
  const double list = ListMiB(folder1251);
  RemoveFolder(folder);

  const Span l = Least(limit), s = Least(stage);
  std::printf("files %d (%d with a version resource), least of %d rounds\n", files, expected, rounds);
  Show("limit loop", l, files);
  Show("stage", s, files);
  std::printf("  stage/limit: wall %.2f, process cpu %.2f (target 1.50 or less)\n", s.wall / l.wall, s.cpu / l.cpu);
  std::printf("  memory before the stage: private %.1f MiB, working set %.1f MiB\n", before.privateMiB,
              before.workingSetMiB);
  std::printf("  memory inside the stage: private at most %.1f MiB\n", stagePrivateMiB);
  std::printf("  memory after %d runs:    private %.1f MiB, working set %.1f MiB, peak working set %.1f MiB\n",
              rounds + 1, after.privateMiB, after.workingSetMiB, after.peakWorkingSetMiB);
  std::printf("  the list of entries itself: %.2f MiB\n", list);
  return 0;
}
