#pragma once
#include <string>

namespace lmr {

struct LocalTimeParts {
  int day, month, year, hour, minute, second, milliseconds;
};

// Each "%d" of the format takes the next of day, month, year, hour, minute,
// second, milliseconds, in plain decimal; "%%" is one "%". An empty format
// means "%d.%d %dг %d:%d:%d:%d" (the "г" a windows-1251 byte).
std::string FormatLocalTime(const std::string& format, const LocalTimeParts& t);

LocalTimeParts ReadLocalTime();

inline std::string LocalTimeText(const std::string& format) {
  return FormatLocalTime(format, ReadLocalTime());
}

}  // namespace lmr
