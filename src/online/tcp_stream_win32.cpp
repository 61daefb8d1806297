#include "online/tcp_stream.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "online/http_errors.h"

namespace online {

namespace {

std::string WinsockText(const std::string &what, int code) {
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
  std::string message(text, n);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
    message.pop_back();
  if (message.empty()) message = "Socket error " + std::to_string(code);
  return what + ": " + message;
}

// Winsock is started once per process and left running until exit.
void StartWinsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    const int rc = WSAStartup(MAKEWORD(2, 2), &data);
    if (rc != 0) throw ETcpError(WinsockText("WSAStartup failed", rc));
  });
}

// SOCKET_ERROR when select fails; otherwise ready tells whether the socket
// became readable (or writable) within timeoutMs.
int WaitSocket(SOCKET s, bool forWrite, int timeoutMs, bool &ready) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(s, &failed);
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  // A failed non-blocking connect is reported in the except set on Winsock.
  const int rc = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, forWrite ? &failed : nullptr, &tv);
  ready = rc > 0;
  return rc == SOCKET_ERROR ? SOCKET_ERROR : 0;
}

class TWinsockTcpStream : public TTcpStream {
public:
  TWinsockTcpStream() { StartWinsock(); }
  ~TWinsockTcpStream() override { Close(); }

  bool Connect(const std::string &host, int port, int timeoutMs) override {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0) throw ETcpError(WinsockText("Cannot resolve " + host, rc));
    int lastError = 0;
    bool timedOut = false;
    for (addrinfo *a = list; a && Socket == INVALID_SOCKET; a = a->ai_next) {
      const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
      if (s == INVALID_SOCKET) {
        lastError = WSAGetLastError();
        continue;
      }
      // Non-blocking for the whole life of the socket: every wait is a
      // select with its own time-out.
      u_long nonBlocking = 1;
      ioctlsocket(s, FIONBIO, &nonBlocking);
      int error = 0;
      if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == SOCKET_ERROR) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
          bool ready = false;
          if (WaitSocket(s, true, timeoutMs, ready) == SOCKET_ERROR) {
            error = WSAGetLastError();
          } else if (!ready) {
            timedOut = true;
          } else {
            int len = sizeof error;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &len);
          }
        }
      }
      if (error == 0 && !timedOut) {
        Socket = s;
      } else {
        closesocket(s);
        lastError = error;
        if (timedOut) break;
      }
    }
    freeaddrinfo(list);
    if (Socket != INVALID_SOCKET) return true;
    if (timedOut) return false;
    throw ETcpError(WinsockText("Cannot connect to " + host + ":" + std::to_string(port), lastError));
  }

  bool IsOpen() const override { return Socket != INVALID_SOCKET; }

  long ReadSome(char *buffer, std::size_t size, int timeoutMs) override {
    if (Socket == INVALID_SOCKET) throw ETcpError("Not connected");
    bool ready = false;
    if (WaitSocket(Socket, false, timeoutMs, ready) == SOCKET_ERROR)
      throw ETcpError(WinsockText("Socket wait failed", WSAGetLastError()));
    if (!ready) return TimedOut;
    const int n = recv(Socket, buffer, static_cast<int>(size), 0);
    if (n == SOCKET_ERROR) {
      const int error = WSAGetLastError();
      if (error == WSAEWOULDBLOCK) return TimedOut;
      throw ETcpError(WinsockText("Socket read failed", error));
    }
    return n;
  }

  bool WriteAll(const std::string &bytes, int timeoutMs) override {
    if (Socket == INVALID_SOCKET) throw ETcpError("Not connected");
    std::size_t done = 0;
    while (done < bytes.size()) {
      const int n = send(Socket, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
      if (n != SOCKET_ERROR) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      const int error = WSAGetLastError();
      if (error != WSAEWOULDBLOCK) throw ETcpError(WinsockText("Socket write failed", error));
      bool ready = false;
      if (WaitSocket(Socket, true, timeoutMs, ready) == SOCKET_ERROR)
        throw ETcpError(WinsockText("Socket wait failed", WSAGetLastError()));
      if (!ready) return false;
    }
    return true;
  }

  void Close() override {
    if (Socket != INVALID_SOCKET) closesocket(Socket);
    Socket = INVALID_SOCKET;
  }

private:
  SOCKET Socket = INVALID_SOCKET;
};

} // namespace

std::unique_ptr<TTcpStream> CreateSocketStream() { return std::make_unique<TWinsockTcpStream>(); }

} // namespace online
