// POSIX twin of the system texts, for the native build.
#include <pwd.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "common/local_time.h"
#include "common/system_text.h"

namespace lmr {

std::string SystemErrorText() { return std::string(std::strerror(errno)) + "\r\n"; }
std::string SocketErrorText() { return SystemErrorText(); }

std::string CurrentUserName() {
  const passwd* pw = getpwuid(geteuid());
  return pw ? pw->pw_name : "";
}

std::string LocalComputerName() {
  char buffer[260] = {0};
  gethostname(buffer, sizeof buffer - 1);
  return buffer;
}

LocalTimeParts ReadLocalTime() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  std::tm tm;
  localtime_r(&tv.tv_sec, &tm);
  return {tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec,
          static_cast<int>(tv.tv_usec / 1000)};
}

}  // namespace lmr
