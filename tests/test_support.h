#pragma once
// Small helpers shared by the tests: scratch folders and whole-file reads.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace lmr::test {

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace lmr::test
