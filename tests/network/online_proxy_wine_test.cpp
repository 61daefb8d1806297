// The network stage on this machine's probes, with the online check going
// through a real tinyproxy with Basic authentication to the loopback online
// stand-in. online-through-proxy.sh starts both and passes their ports and
// the proxy's credentials in the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "network/machine_network_probes_win32.h"
#include "network/network_stage.h"
#include "network/scripted_connection.h"
#include "online/lmr_olcs_client.h"
#include "shell/fake_progress_list.h"
#include "shell/page_captions.h"
#include "test_support.h"

namespace lmr {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

struct ProxyRun {
  std::string report;
  std::vector<std::string> boxes;
  std::vector<std::string> lines;
};

ProxyRun RunThroughProxy(const std::string& password) {
  test::ScriptedConnection db;
  db.rows = {{std::string("UseProxyServer"), std::string("1")},
             {std::string("ProxyServer"), std::string("127.0.0.1")},
             {std::string("ProxyPort"), Env("LMR_PROXY_PORT")},
             {std::string("ProxyUser"), Env("LMR_PROXY_USER")},
             {std::string("ProxyPASsword"), password},
             {std::string("LMROLServerAddress"), "127.0.0.1:" + Env("LMR_SERVICE_PORT")},
             {std::string("UseProxyAuthorization"), std::string("1")}};
  ProxyRun r;
  test::FakeProgressList list;
  FillProgressList(list, NetworkStepCaptions());
  int current = -1;
  {
    TTavXMLLogProvider writer("P.xml");
    ProgressSteps steps(list, "Complete", current);
    StageHost host{writer, steps, [](std::uint32_t) {}};
    MachineNetworkProbes probes;
    online::TLMROLCSClient client;
    RunNetworkStage(host, probes, {true, true, &db}, client, [&](const std::string& t) { r.boxes.push_back(t); });
  }
  r.report = test::ReadAll("P.xml");
  r.lines = list.lines;
  return r;
}

class OnlineThroughProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("LMR_PROXY_PORT").empty() || Env("LMR_SERVICE_PORT").empty() || Env("LMR_PROXY_PASSWORD").empty())
      FAIL() << "run by online-through-proxy.sh, which starts the proxy and the service";
  }
};

TEST_F(OnlineThroughProxy, RightCredentialsReachTheService) {
  const ProxyRun r = RunThroughProxy(Env("LMR_PROXY_PASSWORD"));
  EXPECT_NE(r.report.find("<Online><Connected>OK</Connected>\r\n<ProxyParams><UseProxyServer>Yes</UseProxyServer>\r\n"
                          "<ProxyPort>" + Env("LMR_PROXY_PORT") + "</ProxyPort>\r\n<ProxyServer>127.0.0.1</ProxyServer>"),
            std::string::npos)
      << r.report;
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_EQ(r.report.find(Env("LMR_PROXY_PASSWORD")), std::string::npos) << "the proxy password reached the report";
  EXPECT_EQ(r.lines.back(), "Lumaro Network Options: Complete");
}

TEST_F(OnlineThroughProxy, WrongCredentialsGiveOneBoxPerCapturedError) {
  const std::string wrong = "not-" + Env("LMR_PROXY_PASSWORD");
  const ProxyRun r = RunThroughProxy(wrong);
  EXPECT_EQ(r.report.find("<Connected>"), std::string::npos);
  std::vector<std::string> errors;
  const std::regex entry("<ConnectionError>([^<]*)</ConnectionError>");
  for (std::sregex_iterator i(r.report.begin(), r.report.end(), entry), end; i != end; ++i)
    errors.push_back("ConnectionError: " + (*i)[1].str());
  EXPECT_EQ(errors, std::vector<std::string>{"ConnectionError: 401 Unauthorized"});
  EXPECT_EQ(r.boxes, errors);
  EXPECT_NE(r.report.find("</ConnectionError>\r\n<SYSError>"), std::string::npos);
  EXPECT_NE(r.report.find("</SYSError>\r\n<WSAError>"), std::string::npos);
  EXPECT_EQ(r.report.find(wrong), std::string::npos) << "the proxy password reached the report";
}

}  // namespace
}  // namespace lmr
