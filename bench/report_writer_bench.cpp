// The report writer against the physical limit: the same bytes in one write.
// Run: build/native/bench/report_writer_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "report/xml_log_provider.h"
#include "report/xml_text.h"

namespace {

constexpr int kLeaves = 100000;
const char kFile[] = "bench_report.xml";

std::string Value(int i) { return "C:\\Program Files\\a  <b> & c " + std::to_string(i); }

void BM_WriterLeaves(benchmark::State& state) {
  for (auto _ : state) {
    lmr::TTavXMLLogProvider w(kFile);
    int s = w.OpenNode("Section");
    for (int i = 0; i < kLeaves; ++i) w.WriteValue("Line" + std::to_string(i), Value(i));
    w.CloseNode(s);
  }
  state.SetItemsProcessed(state.iterations() * kLeaves);
}
BENCHMARK(BM_WriterLeaves)->Unit(benchmark::kMillisecond);

void BM_OneWriteSameBytes(benchmark::State& state) {
  std::string all;
  for (int i = 0; i < kLeaves; ++i) all += lmr::XMLElement(Value(i), "Line" + std::to_string(i), true);
  for (auto _ : state) {
    int fd = open(kFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    benchmark::DoNotOptimize(write(fd, all.data(), all.size()));
    close(fd);
  }
  state.SetItemsProcessed(state.iterations() * kLeaves);
}
BENCHMARK(BM_OneWriteSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
