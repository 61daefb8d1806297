// The transport over real sockets against a one-shot server on 127.0.0.1.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "online/loopback_server.h"
#include "online/tav_http.h"

using namespace online;
using namespace loopback;

namespace {

TEST(TTavHTTPLoopback, GetOverRealSocket) {
  TLoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", true);
  TTavHTTP http;
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port) + "/svc/LMROLClientServer.dll";
  EXPECT_EQ(http.Get(url), "hello");
  EXPECT_EQ(http.ResponseText, "200 OK");
  EXPECT_EQ(server.Request(),
            "GET /svc/LMROLClientServer.dll HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n"
            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
}

TEST(TTavHTTPLoopback, StalledServerEndsWithReadBound) {
  TLoopbackServer server("HTTP/1.1 200 OK\r\n", false);
  TTavHTTP http;
  http.Bounds.ReadTimeoutMs = 200;
  const auto start = std::chrono::steady_clock::now();
  try {
    http.Head("http://127.0.0.1:" + std::to_string(server.Port) + "/");
    ADD_FAILURE() << "stalled server answered";
  } catch (const EHttpBoundExceeded &e) {
    EXPECT_EQ(e.Bound, THttpBound::Read);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(TTavHTTPLoopback, RefusedConnectionIsATcpError) {
  [[maybe_unused]] TWinsock winsock;
  int port = 0;
  CloseSocket(Listen(port));
  TTavHTTP http;
  try {
    http.Head("http://127.0.0.1:" + std::to_string(port) + "/");
    ADD_FAILURE() << "connected to a closed port";
  } catch (const ETcpError &e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot connect to 127.0.0.1:" + std::to_string(port), 0), 0u)
        << e.what();
  }
}

} // namespace
