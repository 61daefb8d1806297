#pragma once
// A one-shot HTTP peer on 127.0.0.1 for tests over real sockets.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace loopback {

#ifdef _WIN32
using TSocket = SOCKET;
inline void CloseSocket(TSocket s) { closesocket(s); }
struct TWinsock {
  TWinsock() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~TWinsock() { WSACleanup(); }
};
#else
using TSocket = int;
inline void CloseSocket(TSocket s) { close(s); }
struct TWinsock {};
#endif

inline bool Readable(TSocket s, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{0, ms * 1000};
  return select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
}

inline TSocket Listen(int &port) {
  TSocket s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
  listen(s, 1);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
  port = ntohs(a.sin_port);
  return s;
}

// Accepts one connection, records the request head, sends the scripted
// answer, then closes or holds the connection open until destroyed. Every
// wait gives up after a few seconds so a failing test cannot hang.
class TLoopbackServer {
public:
  TLoopbackServer(std::string answer, bool closeAfter) {
    Listener = Listen(Port);
    Worker = std::thread([this, answer, closeAfter] { Serve(answer, closeAfter); });
  }
  ~TLoopbackServer() {
    Stop = true;
    Worker.join();
    CloseSocket(Listener);
  }
  std::string Request() {
    Stop = true;
    Worker.join();
    Worker = std::thread([] {});
    return Received;
  }
  int Port = 0;

private:
  void Serve(const std::string &answer, bool closeAfter) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const auto waiting = [&] { return !Stop && std::chrono::steady_clock::now() < deadline; };
    while (waiting() && !Readable(Listener, 20)) {
    }
    if (!Readable(Listener, 0)) return;
    const TSocket c = accept(Listener, nullptr, nullptr);
    char buffer[4096];
    while (Received.find("\r\n\r\n") == std::string::npos && waiting()) {
      if (!Readable(c, 20)) continue;
      const int n = static_cast<int>(recv(c, buffer, sizeof buffer, 0));
      if (n <= 0) break;
      Received.append(buffer, static_cast<std::size_t>(n));
    }
    send(c, answer.data(), static_cast<int>(answer.size()), 0);
    while (!closeAfter && waiting()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CloseSocket(c);
  }

  [[maybe_unused]] TWinsock Winsock;
  TSocket Listener;
  std::thread Worker;
  std::atomic<bool> Stop{false};
  std::string Received;
};

} // namespace loopback
