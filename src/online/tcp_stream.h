#pragma once
// The TCP byte stream under the HTTP transport. The caller passes the
// time-out on each call, so all bounds stay with the transport.

#include <cstddef>
#include <memory>
#include <string>

namespace online {

class TTcpStream {
public:
  static constexpr long TimedOut = -1;

  virtual ~TTcpStream() = default;
  // False when no connection was made within timeoutMs; ETcpError on failure.
  virtual bool Connect(const std::string &host, int port, int timeoutMs) = 0;
  virtual bool IsOpen() const = 0;
  // Waits up to timeoutMs (0: do not wait). Returns the bytes read, 0 when
  // the peer closed the connection, TimedOut when nothing arrived.
  virtual long ReadSome(char *buffer, std::size_t size, int timeoutMs) = 0;
  // False when the peer took no bytes for timeoutMs; ETcpError on failure.
  virtual bool WriteAll(const std::string &bytes, int timeoutMs) = 0;
  virtual void Close() = 0;
};

// Plain sockets: POSIX or Winsock by build.
std::unique_ptr<TTcpStream> CreateSocketStream();

} // namespace online
