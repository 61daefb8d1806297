#include "online/ol_server_custom_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "online/fake_tcp_stream.h"

using namespace online;

namespace {

const char Url[] = "http://svc.example/lmr/LMROLClientServer.dll";

class TTestClient : public TOLServerCustomClient {
public:
  using TOLServerCustomClient::Connected;
  using TOLServerCustomClient::FailedURL;
  using TOLServerCustomClient::LastError;
  using TOLServerCustomClient::ProxyChanged;
  using TOLServerCustomClient::ProxyParams;
  using TOLServerCustomClient::ServerURL;
  using TOLServerCustomClient::ServerURLChanged;
};

struct TClientFixture {
  std::shared_ptr<TFakeState> State = std::make_shared<TFakeState>();
  TTestClient Client;

  TClientFixture() {
    Client.StreamFactory = [s = State] { return std::make_unique<TFakeTcpStream>(s); };
    Client.Bounds.ReadTimeoutMs = 50;
    Client.Bounds.MaxHeaderCount = 2;
  }
  TClientFixture &Answer(const std::string &bytes) {
    State->Scripts.push_back({bytes, false});
    return *this;
  }
};

TEST(TOLServerCustomClient, ConnectionStates) {
  struct Case {
    std::string Answer;
    bool Reachable;
    const char *Error;
    bool Failed;        // FailedURL holds the URL: the next check is skipped
    std::size_t Checks; // requests made by two IsConnected calls
  } const cases[] = {
      {"HTTP/1.1 200 OK\r\n\r\n", true, "", false, 1},
      {"HTTP/1.1 200 Ok\r\n\r\n", false, "", false, 2},
      {"HTTP/1.1 204 No Content\r\n\r\n", false, "", false, 2},
      {"HTTP/1.1 404 Not Found\r\n\r\n", false, "ES: 404 Not Found", true, 1},
      {"HTTP/1.1 301 Moved\r\nLocation: http://x/\r\n\r\n", false, "ES: 301 Moved", true, 1},
      {"", false, "ES: Read time-out: no data within 50 ms", true, 1},
      // The error came after the status line: the status text still decides.
      {"HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nC: 3\r\n\r\n", true, "ES: Header count bound: more than 2 header lines",
       true, 1},
  };
  for (const auto &c : cases) {
    TClientFixture f;
    f.Answer(c.Answer).Answer(c.Answer);
    f.Client.SetServerURL(Url);
    EXPECT_EQ(f.Client.IsConnected(), c.Reachable) << c.Answer;
    EXPECT_EQ(f.Client.LastError, c.Error) << c.Answer;
    EXPECT_EQ(f.Client.FailedURL, c.Failed ? Url : "") << c.Answer;
    EXPECT_EQ(f.Client.IsConnected(), c.Reachable) << c.Answer;
    EXPECT_EQ(f.Client.LastError, "") << c.Answer;
    EXPECT_EQ(f.State->Endpoints.size(), c.Checks) << c.Answer;
  }
}

TEST(TOLServerCustomClient, RefusedConnectionIsAnError) {
  TClientFixture f;
  f.Client.SetServerURL(Url);
  EXPECT_FALSE(f.Client.IsConnected());
  EXPECT_EQ(f.Client.LastError, "ES: Connection refused");
}

TEST(TOLServerCustomClient, NoServerUrlTestsNothing) {
  TClientFixture f;
  f.Answer("HTTP/1.1 200 OK\r\n\r\n");
  EXPECT_FALSE(f.Client.IsConnected());
  EXPECT_EQ(f.Client.LastError, "ServerURL is not defined");
  EXPECT_TRUE(f.State->Endpoints.empty());
}

TEST(TOLServerCustomClient, OnlyChangedSettingsResetTheOutcome) {
  TClientFixture f;
  for (int i = 0; i < 3; ++i) f.Answer("HTTP/1.1 200 OK\r\n\r\n");
  f.Client.SetServerURL(Url);
  f.Client.SetProxyParams(MakeProxyParams(true, "Proxy.Local", 3128, false, "", ""));
  ASSERT_TRUE(f.Client.IsConnected());
  ASSERT_EQ(f.State->Endpoints.size(), 1u);

  f.Client.SetServerURL(Url);
  f.Client.SetProxyParams(MakeProxyParams(true, "PROXY.local", 3128, false, "", ""));
  EXPECT_TRUE(f.Client.Connected);
  EXPECT_EQ(f.Client.ProxyParams.ProxyServer, "Proxy.Local");

  f.Client.SetServerURL("http:\\\\svc.example\\lmr\\LMROLClientServer.dll");
  EXPECT_FALSE(f.Client.Connected);
  EXPECT_EQ(f.Client.ServerURL, Url);
  EXPECT_TRUE(f.Client.ServerURLChanged);
  EXPECT_TRUE(f.Client.IsConnected());

  f.Client.SetProxyParams(MakeProxyParams(true, "HTTP://Proxy.Local", 3128, false, "", ""));
  EXPECT_FALSE(f.Client.Connected);
  EXPECT_TRUE(f.Client.ProxyChanged);
  EXPECT_EQ(f.Client.ProxyParams.ProxyServer, "Proxy.Local");
  EXPECT_TRUE(f.Client.IsConnected());
  EXPECT_EQ(f.State->Endpoints.size(), 3u);
}

TEST(TOLServerCustomClient, ChangedSettingsRetryAFailedUrl) {
  TClientFixture f;
  f.Answer("HTTP/1.1 404 Not Found\r\n\r\n").Answer("HTTP/1.1 200 OK\r\n\r\n");
  f.Client.SetServerURL(Url);
  ASSERT_FALSE(f.Client.IsConnected());
  f.Client.SetProxyParams(MakeProxyParams(false, "", 0, true, "u", "p"));
  EXPECT_EQ(f.Client.FailedURL, "");
  EXPECT_TRUE(f.Client.IsConnected());
}

// The second caller waits for the first check and then makes its own, since
// "200 Ok" leaves the URL untested; without the lock it would see the
// interim Connected of the running check.
TEST(TOLServerCustomClient, LockSerialisesChecks) {
  TClientFixture f;
  f.Answer("HTTP/1.1 200 Ok\r\n\r\n").Answer("HTTP/1.1 200 Ok\r\n\r\n");
  std::atomic<bool> checking{false};
  f.State->OnConnect = [&] {
    if (!checking.exchange(true)) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  };
  f.Client.SetServerURL(Url);
  bool first = true;
  std::thread t([&] { first = f.Client.IsConnected(); });
  while (!checking) std::this_thread::yield();
  EXPECT_FALSE(f.Client.IsConnected());
  t.join();
  EXPECT_FALSE(first);
  EXPECT_EQ(f.State->Endpoints.size(), 2u);
}

TEST(TOLServerCustomClient, ProxyAppliedOnlyWhenUsed) {
  struct Case {
    TProxyParams Params;
    const char *Endpoint;
    const char *RequestStart;
    bool Credentials;
  } const cases[] = {
      {MakeProxyParams(false, "proxy", 3128, true, "u", "p"), "svc.example:80",
       "HEAD /lmr/LMROLClientServer.dll HTTP/1.1\r\n", false},
      {MakeProxyParams(true, "http://proxy", 3128, false, "u", "p"), "proxy:3128",
       "HEAD http://svc.example/lmr/LMROLClientServer.dll HTTP/1.1\r\n", false},
      {MakeProxyParams(true, "proxy", 3128, true, "u", "p"), "proxy:3128",
       "HEAD http://svc.example/lmr/LMROLClientServer.dll HTTP/1.1\r\n", true},
  };
  for (const auto &c : cases) {
    TClientFixture f;
    f.Answer("HTTP/1.1 200 OK\r\n\r\n");
    f.Client.SetServerURL(Url);
    f.Client.SetProxyParams(c.Params);
    EXPECT_TRUE(f.Client.IsConnected());
    ASSERT_EQ(f.State->Endpoints.size(), 1u);
    EXPECT_EQ(f.State->Endpoints[0], c.Endpoint);
    EXPECT_EQ(f.State->Written[0].rfind(c.RequestStart, 0), 0u) << f.State->Written[0];
    EXPECT_EQ(f.State->Written[0].find("Proxy-Authorization: Basic dTpw\r\n") != std::string::npos, c.Credentials);
  }
}

TEST(TOLServerCustomClient, SendCommandUrls) {
  const std::vector<std::string> lines = {"a", "b=1"};
  const std::vector<std::string> none;
  struct Case {
    const char *ServerUrl;
    const char *Command;
    const std::vector<std::string> *Params;
    const char *RequestLine;
  } const cases[] = {
      {"http://h/svc.dll", "X", &lines, "GET /svc.dll/X?&a&b=1 HTTP/1.1\r\n"},
      {"http://h/svc.dll/", "X?", &none, "GET /svc.dll/X? HTTP/1.1\r\n"},
      {"http://h/svc.dll", "X", nullptr, "GET /svc.dll/X? HTTP/1.1\r\n"},
  };
  for (const auto &c : cases) {
    TClientFixture f;
    f.Answer("HTTP/1.1 200 OK\r\n\r\n").Answer("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nanswer");
    f.Client.SetServerURL(c.ServerUrl);
    std::string answer;
    f.Client.SendCommand(c.Command, c.Params, answer);
    EXPECT_EQ(answer, "answer");
    ASSERT_EQ(f.State->Written.size(), 2u);
    EXPECT_EQ(f.State->Written[1].rfind(c.RequestLine, 0), 0u) << f.State->Written[1];
  }
}

TEST(TOLServerCustomClient, SendRequestWhenUnreachableOrFailing) {
  {
    TClientFixture f;
    f.Answer("HTTP/1.1 503 Busy\r\n\r\n");
    f.Client.SetServerURL(Url);
    std::string answer;
    f.Client.SendRequest("http://svc.example/x", answer);
    EXPECT_EQ(answer, "ES: 503 Busy");
    EXPECT_EQ(f.State->Endpoints.size(), 1u);
  }
  {
    TClientFixture f;
    f.Answer("HTTP/1.1 200 OK\r\n\r\n").Answer("HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\noops");
    f.Client.SetServerURL(Url);
    std::string answer = "unchanged";
    EXPECT_THROW(f.Client.SendRequest("http://svc.example/x", answer), EHttpProtocolError);
    EXPECT_EQ(answer, "unchanged");
    EXPECT_TRUE(f.Client.Connected);
  }
}

TEST(ProxyHelpers, SameProxyParamsAndAddTrailingChar) {
  // "Прокси" in windows-1251; its upper-case form differs only in case.
  const std::string proxy1251 = "\xcf\xf0\xee\xea\xf1\xe8";
  const TProxyParams base = MakeProxyParams(true, proxy1251, 8080, true, "User", "Pass");
  struct Case {
    TProxyParams Other;
    bool Same;
  } const cases[] = {
      {MakeProxyParams(true, proxy1251, 8080, true, "User", "Pass"), true},
      {MakeProxyParams(true, "\xcf\xd0\xce\xca\xd1\xc8", 8080, true, "User", "Pass"), true},
      {MakeProxyParams(true, "\xcf\xf0\xee\xea\xf1\xe0", 8080, true, "User", "Pass"), false},
      {MakeProxyParams(false, proxy1251, 8080, true, "User", "Pass"), false},
      {MakeProxyParams(true, proxy1251, 8081, true, "User", "Pass"), false},
      {MakeProxyParams(true, proxy1251, 8080, false, "User", "Pass"), false},
      {MakeProxyParams(true, proxy1251, 8080, true, "user", "Pass"), false},
      {MakeProxyParams(true, proxy1251, 8080, true, "User", "pass"), false},
  };
  for (const auto &c : cases) EXPECT_EQ(SameProxyParams(base, c.Other), c.Same) << c.Other.ProxyServer;

  const TProxyParams latin = MakeProxyParams(true, "Proxy", 1, false, "", "");
  EXPECT_TRUE(SameProxyParams(latin, MakeProxyParams(true, "pROXY", 1, false, "", "")));

  EXPECT_EQ(AddTrailingChar("", '/'), "/");
  EXPECT_EQ(AddTrailingChar("a", '/'), "a/");
  EXPECT_EQ(AddTrailingChar("a/", '/'), "a/");
}

} // namespace
