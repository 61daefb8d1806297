#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <stdexcept>

#include "report/report_file.h"

namespace lmr {
namespace {

// POSIX has no share modes; an exclusive flock stands in for share mode 0
// among cooperating writers. The lock is taken before truncating, so a second
// writer cannot wipe a report that is still being written.
class PosixReportFile : public ReportFile {
 public:
  explicit PosixReportFile(int fd) : fd_(fd) {}
  ~PosixReportFile() override { close(fd_); }
  void Write(const std::string& bytes) override {
    ssize_t ignored = write(fd_, bytes.data(), bytes.size());
    (void)ignored;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ReportFile> CreateReportFile(const std::string& fileName) {
  int fd = open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0 && (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0)) {
    close(fd);
    fd = -1;
  }
  if (fd < 0) throw std::runtime_error("Cannot create file " + fileName);
  return std::make_unique<PosixReportFile>(fd);
}

}  // namespace lmr
