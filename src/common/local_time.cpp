#include "common/local_time.h"

#include "common/text1251.h"

namespace lmr {

std::string FormatLocalTime(const std::string& format, const LocalTimeParts& t) {
  static const std::string kDefault = Utf8To1251("%d.%d %dг %d:%d:%d:%d");
  const std::string& f = format.empty() ? kDefault : format;
  const int values[] = {t.day, t.month, t.year, t.hour, t.minute, t.second, t.milliseconds};
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '%' && i + 1 < f.size() && f[i + 1] == 'd' && next < 7) {
      out += std::to_string(values[next++]);
      ++i;
    } else if (f[i] == '%' && i + 1 < f.size() && f[i + 1] == '%') {
      out += '%';
      ++i;
    } else {
      out += f[i];
    }
  }
  return out;
}

}  // namespace lmr
