// The client through a real forward proxy (tinyproxy with Basic
// authentication) in front of a loopback service. Needs the tinyproxy
// program on PATH.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "online/loopback_server.h"
#include "online/ol_server_custom_client.h"

using namespace online;
using namespace loopback;

namespace {

const char ProxyUser[] = "wizard";
const char ProxyPassword[] = "s3cret";

class TTestClient : public TOLServerCustomClient {
public:
  using TOLServerCustomClient::LastError;
};

// A tinyproxy child on a free loopback port, stopped by its process id.
class TTinyproxy {
public:
  TTinyproxy() {
    CloseSocket(Listen(Port));
    char dir[] = "/tmp/lmr-tinyproxy-XXXXXX";
    Dir = mkdtemp(dir);
    std::ofstream(Dir + "/tinyproxy.conf") << "Port " << Port << "\nListen 127.0.0.1\nTimeout 10\n"
                                           << "MaxClients 5\nAllow 127.0.0.1\nLogLevel Error\n"
                                           << "BasicAuth " << ProxyUser << " " << ProxyPassword << "\n";
    Pid = fork();
    if (Pid == 0) {
      freopen("/dev/null", "w", stdout);
      freopen("/dev/null", "w", stderr);
      execlp("tinyproxy", "tinyproxy", "-d", "-c", (Dir + "/tinyproxy.conf").c_str(), nullptr);
      _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Ready && std::chrono::steady_clock::now() < deadline && waitpid(Pid, nullptr, WNOHANG) == 0) {
      try {
        Ready = CreateSocketStream()->Connect("127.0.0.1", Port, 100);
      } catch (const ETcpError &) {
        usleep(20000);
      }
    }
  }
  ~TTinyproxy() {
    kill(Pid, SIGTERM);
    waitpid(Pid, nullptr, 0);
    std::remove((Dir + "/tinyproxy.conf").c_str());
    rmdir(Dir.c_str());
  }
  int Port = 0;
  bool Ready = false;

private:
  std::string Dir;
  pid_t Pid = -1;
};

TEST(TOLServerCustomClientProxy, CheckThroughTinyproxy) {
  struct Case {
    const char *Password;
    bool Reachable;
  } const cases[] = {{ProxyPassword, true}, {"wrong", false}};
  TTinyproxy proxy;
  ASSERT_TRUE(proxy.Ready) << "tinyproxy did not start";
  for (const auto &c : cases) {
    TLoopbackServer service("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true);
    TTestClient client;
    client.SetServerURL("http://127.0.0.1:" + std::to_string(service.Port) + "/lmr/LMROLClientServer.dll");
    client.SetProxyParams(MakeProxyParams(true, "127.0.0.1", proxy.Port, true, ProxyUser, c.Password));
    EXPECT_EQ(client.IsConnected(), c.Reachable) << client.LastError;
    const std::string request = service.Request();
    if (c.Reachable) {
      EXPECT_EQ(request.rfind("HEAD /lmr/LMROLClientServer.dll HTTP/1.", 0), 0u) << request;
    } else {
      EXPECT_EQ(request, "");
    }
  }
}

} // namespace
