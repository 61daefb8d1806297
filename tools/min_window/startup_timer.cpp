// Measures how long window programs take from process creation until their
// first top-level window is visible, and until they first wait for input:
//   startup_timer ROUNDS EXE...
// Each round starts every program once, in turn, in the current folder, so
// the programs share the same conditions. Each window is then closed with
// WM_CLOSE (the process is ended if it has not gone after 10 s). Prints one
// line per start and one summary line per program:
//   run EXE SHOWN_MS IDLE_MS PEAK_WORKING_SET_KB
//   summary EXE shown_median_ms M shown_min_ms A shown_max_ms B idle_median_ms I peak_kb P runs N
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK MatchVisible(HWND w, LPARAM arg) {
  auto* search = reinterpret_cast<Search*>(arg);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != search->process || !IsWindowVisible(w)) return TRUE;
  search->found = w;
  return FALSE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Start {
  double shownMs = 0;
  double idleMs = -1;  // -1: the program never reported being idle
  SIZE_T peakKb = 0;
};

// One start of the program; false when it showed no window within 30 s.
bool TimeOneStart(const std::wstring& exe, Start& out) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  LARGE_INTEGER t0, t1;
  // Wine now and then fails a start under load (ERROR_INTERNAL_ERROR); such
  // a start shows nothing about the program, so it is tried again.
  for (int attempt = 1;; ++attempt) {
    QueryPerformanceCounter(&t0);
    if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) break;
    std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
    if (attempt == 3) return false;
    Sleep(500);
  }
  Search search{pi.dwProcessId, nullptr};
  for (;;) {
    EnumWindows(MatchVisible, reinterpret_cast<LPARAM>(&search));
    QueryPerformanceCounter(&t1);
    if (search.found) break;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0 || Milliseconds(t0, t1) > 30000) break;
    Sleep(1);
  }
  out.shownMs = Milliseconds(t0, t1);
  if (search.found && WaitForInputIdle(pi.hProcess, 10000) == 0) {
    QueryPerformanceCounter(&t1);
    out.idleMs = Milliseconds(t0, t1);
  }
  PROCESS_MEMORY_COUNTERS counters = {sizeof counters};
  if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters)) out.peakKb = counters.PeakWorkingSetSize / 1024;
  if (search.found) PostMessageW(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    std::fwprintf(stderr, L"%ls did not end after WM_CLOSE; ending it\n", exe.c_str());
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!search.found) std::fwprintf(stderr, L"%ls showed no window\n", exe.c_str());
  return search.found != nullptr;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: startup_timer ROUNDS EXE...\n");
    return 2;
  }
  const int rounds = _wtoi(argv[1]);
  const int programs = argc - 2;
  std::vector<std::vector<Start>> starts(programs);
  for (int r = 0; r < rounds; ++r) {
    for (int p = 0; p < programs; ++p) {
      Start s;
      if (!TimeOneStart(argv[2 + p], s)) return 1;
      std::wprintf(L"run %ls %.1f %.1f %lu\n", argv[2 + p], s.shownMs, s.idleMs,
                   static_cast<unsigned long>(s.peakKb));
      starts[p].push_back(s);
    }
  }
  for (int p = 0; p < programs; ++p) {
    std::vector<double> shown, idle;
    SIZE_T peak = 0;
    for (const Start& s : starts[p]) {
      shown.push_back(s.shownMs);
      if (s.idleMs >= 0) idle.push_back(s.idleMs);
      peak = std::max(peak, s.peakKb);
    }
    if (shown.empty()) continue;
    std::wprintf(L"summary %ls shown_median_ms %.1f shown_min_ms %.1f shown_max_ms %.1f idle_median_ms %.1f "
                 L"peak_kb %lu runs %d\n",
                 argv[2 + p], Median(shown), *std::min_element(shown.begin(), shown.end()),
                 *std::max_element(shown.begin(), shown.end()), idle.empty() ? -1.0 : Median(idle),
                 static_cast<unsigned long>(peak), static_cast<int>(shown.size()));
  }
  return 0;
}
