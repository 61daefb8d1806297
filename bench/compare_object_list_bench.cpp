// CompareObjectList with 100,000 database names against a 100,000-line
// reference list, letter case differing throughout (Cyrillic included).
// The names come from an in-memory connection, so the figure is the
// comparison's, not the server's. Run: build/native/bench/compare_object_list_bench
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "database/database_stage.h"

namespace {

constexpr int kNames = 100000;

std::string Name(int i) { return "\xD4\xF3\xED\xEA\xF6\xE8\xFF_Calc_" + std::to_string(i); }  // Функция_Calc_n

// The same name in other letter case.
std::string Upper(std::string s) {
  for (char& c : s) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') c = static_cast<char>(b - 32);
    if (b >= 0xE0) c = static_cast<char>(b - 32);
  }
  return s;
}

class MemoryConnection : public lmr::DbConnection {
 public:
  explicit MemoryConnection(std::vector<std::string> names) : names_(std::move(names)) {}
  std::string ConnectionString() const override { return ""; }
  void SetConnectionString(const std::string&) override {}
  void SetCommandTimeout(int) override {}
  void Open() override {}
  void Close() override {}
  bool IsOpen() const override { return true; }
  std::unique_ptr<lmr::DbRecordSet> Execute(const std::string&) override { return std::make_unique<Rows>(names_); }

 private:
  struct Rows : lmr::DbRecordSet {
    explicit Rows(const std::vector<std::string>& n) : names(n) {}
    bool Eof() const override { return at >= names.size(); }
    lmr::DbValue Field(const std::string&) const override { return names[at]; }
    void MoveNext() override { ++at; }
    const std::vector<std::string>& names;
    std::size_t at = 0;
  };
  std::vector<std::string> names_;
};

// Reference list of every name but each `gap`-th, upper-cased.
void BM_CompareObjectList(benchmark::State& state) {
  const int gap = static_cast<int>(state.range(0));
  std::vector<std::string> names;
  std::ofstream list("DBObjects_Func.txt", std::ios::binary | std::ios::trunc);
  for (int i = 0; i < kNames; ++i) {
    names.push_back(Name(i));
    if (gap == 0 || i % gap != 0) list << Upper(Name(i)) << "\r\n";
  }
  list.close();
  MemoryConnection connection(names);
  std::size_t missing = 0;
  for (auto _ : state) missing = lmr::CompareObjectList("Func", &connection).size();
  state.counters["missing"] = static_cast<double>(missing);
  state.SetItemsProcessed(state.iterations() * kNames);
}
BENCHMARK(BM_CompareObjectList)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
