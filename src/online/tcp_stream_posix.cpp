#include "online/tcp_stream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "online/http_errors.h"

namespace online {

namespace {

std::string ErrnoText(const std::string &what, int code) {
  return what + ": " + std::strerror(code);
}

class TPosixTcpStream : public TTcpStream {
public:
  ~TPosixTcpStream() override { Close(); }

  bool Connect(const std::string &host, int port, int timeoutMs) override {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0) throw ETcpError("Cannot resolve " + host + ": " + gai_strerror(rc));
    int lastError = 0;
    bool timedOut = false;
    for (addrinfo *a = list; a && Fd < 0; a = a->ai_next) {
      const int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
      if (fd < 0) {
        lastError = errno;
        continue;
      }
      // Non-blocking for the whole life of the socket: every wait is a poll
      // with its own time-out.
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      int error = 0;
      if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
          pollfd p{fd, POLLOUT, 0};
          const int ready = poll(&p, 1, timeoutMs);
          if (ready == 0) {
            timedOut = true;
          } else {
            socklen_t len = sizeof error;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
          }
        }
      }
      if (error == 0 && !timedOut) {
        Fd = fd;
      } else {
        ::close(fd);
        lastError = error;
        if (timedOut) break;
      }
    }
    freeaddrinfo(list);
    if (Fd >= 0) return true;
    if (timedOut) return false;
    throw ETcpError(ErrnoText("Cannot connect to " + host + ":" + std::to_string(port), lastError));
  }

  bool IsOpen() const override { return Fd >= 0; }

  long ReadSome(char *buffer, std::size_t size, int timeoutMs) override {
    if (Fd < 0) throw ETcpError("Not connected");
    pollfd p{Fd, POLLIN, 0};
    int ready;
    do ready = poll(&p, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready < 0) throw ETcpError(ErrnoText("Socket wait failed", errno));
    if (ready == 0) return TimedOut;
    const ssize_t n = recv(Fd, buffer, size, 0);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return TimedOut;
      throw ETcpError(ErrnoText("Socket read failed", errno));
    }
    return static_cast<long>(n);
  }

  bool WriteAll(const std::string &bytes, int timeoutMs) override {
    if (Fd < 0) throw ETcpError("Not connected");
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = send(Fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n >= 0) {
        done += static_cast<std::size_t>(n);
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd p{Fd, POLLOUT, 0};
        if (poll(&p, 1, timeoutMs) == 0) return false;
      } else if (errno != EINTR) {
        throw ETcpError(ErrnoText("Socket write failed", errno));
      }
    }
    return true;
  }

  void Close() override {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }

private:
  int Fd = -1;
};

} // namespace

std::unique_ptr<TTcpStream> CreateSocketStream() { return std::make_unique<TPosixTcpStream>(); }

} // namespace online
