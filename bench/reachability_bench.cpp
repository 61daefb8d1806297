// The online client's reachability check (one HEAD request on a fresh
// connection) against `curl -I` on the same loopback URL.
//   BM_CheckConnection  IsConnected after ResetConnectionState, in process
//   BM_CurlProcess      one curl process per request: start-up included, as
//                       a user running curl pays it
//   BM_CurlOneProcess   one curl process for kCurlBatch URLs: start-up
//                       spread over them
// The server closes every connection after its answer, so curl cannot reuse
// one and each request of every row opens its own, as the check does.
// "per_request" is the time of one request. The summary prints the check's
// time over each curl figure (the target: at most 1.2), the last with curl's
// start-up removed altogether.
// Run: build/native/bench/reachability_bench
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "online/ol_server_custom_client.h"

extern char **environ;

namespace {

constexpr int kCurlBatch = 100;
const char kAnswer[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

bool WaitReadable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}

// Answers every request head with kAnswer and closes; listens on 127.0.0.1
// only and stops with the object.
class TLoopbackService {
public:
  TLoopbackService() {
    Listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (Listener < 0 || bind(Listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
        listen(Listener, 128) != 0 || getsockname(Listener, reinterpret_cast<sockaddr *>(&a), &len) != 0)
      throw std::runtime_error("loopback listener failed");
    Url = "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/lmr/LMROLClientServer.dll";
    Worker = std::thread([this] { Serve(); });
  }
  ~TLoopbackService() {
    Stop = true;
    Worker.join();
    close(Listener);
  }
  std::string Url;

private:
  void Serve() {
    while (!Stop) {
      if (!WaitReadable(Listener, 50)) continue;
      const int c = accept(Listener, nullptr, nullptr);
      if (c < 0) continue;
      std::string head;
      char buffer[4096];
      // A bounded wait per read, so a silent client cannot hold the server.
      while (head.find("\r\n\r\n") == std::string::npos && WaitReadable(c, 1000)) {
        const ssize_t n = recv(c, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<std::size_t>(n));
      }
      send(c, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL);
      close(c);
    }
  }

  int Listener = -1;
  std::thread Worker;
  std::atomic<bool> Stop{false};
};

TLoopbackService *Service = nullptr;

void CountRequests(benchmark::State &state, int perIteration) {
  state.counters["per_request"] = benchmark::Counter(static_cast<double>(state.iterations()) * perIteration,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CheckConnection(benchmark::State &state) {
  online::TOLServerCustomClient client;
  client.SetServerURL(Service->Url);
  for (auto _ : state) {
    client.ResetConnectionState();
    if (!client.IsConnected()) {
      state.SkipWithError("the check failed");
      break;
    }
  }
  CountRequests(state, 1);
}
BENCHMARK(BM_CheckConnection)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Runs curl with its output on /dev/null; true when it exited with 0.
bool RunCurl(int urls) {
  std::vector<std::string> args = {"curl", "-s", "-I"};
  for (int i = 0; i < urls; ++i) args.push_back(Service->Url);
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const int rc = posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void CurlRows(benchmark::State &state, int urls) {
  for (auto _ : state) {
    if (!RunCurl(urls)) {
      state.SkipWithError("curl failed or is not installed");
      break;
    }
  }
  CountRequests(state, urls);
}

void BM_CurlProcess(benchmark::State &state) { CurlRows(state, 1); }
BENCHMARK(BM_CurlProcess)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_CurlOneProcess(benchmark::State &state) { CurlRows(state, kCurlBatch); }
BENCHMARK(BM_CurlOneProcess)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Prints the rows as usual and keeps each row's time per request; with
// --benchmark_repetitions the median stands for the row.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto &run : runs) {
      const auto it = run.counters.find("per_request");
      if (run.error_occurred || it == run.counters.end()) continue;
      // Aggregates follow their repetitions, so the median comes last.
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
        PerRequest[run.run_name.str()] = it->second.value;
    }
  }
  std::map<std::string, double> PerRequest;
};

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TLoopbackService service;
  Service = &service;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto &t = reporter.PerRequest;
  const auto row = [&t](const char *name) {
    const auto it = t.find(std::string(name) + "/real_time");
    return it == t.end() ? 0.0 : it->second;
  };
  const double check = row("BM_CheckConnection"), single = row("BM_CurlProcess"),
               batch = row("BM_CurlOneProcess");
  // The batch row minus one lone run leaves curl's cost of the other
  // requests with no start-up at all.
  const double marginal = single > 0 && batch > 0 ? (batch * kCurlBatch - single) / (kCurlBatch - 1) : 0;
  const std::pair<const char *, double> curls[] = {
      {"curl process per request", single},
      {"curl per request in one process", batch},
      {"curl per further request, start-up removed", marginal}};
  for (const auto &c : curls)
    if (check > 0 && c.second > 0)
      std::printf("check %.1f us vs %s %.1f us: %.3fx\n", check * 1e6, c.first, c.second * 1e6,
                  check / c.second);
  benchmark::Shutdown();
  return 0;
}
