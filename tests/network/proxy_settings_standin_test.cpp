// The proxy and service settings read from the product database's attribute
// rows through the real ODBC stack (unixODBC, FreeTDS) from the TDS stand-in,
// and the whole stage on them against a loopback online service.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "database/connection_string.h"
#include "database/odbc_connection.h"
#include "database/tds_standin_process.h"
#include "network/network_stage.h"
#include "online/lmr_olcs_client.h"
#include "online/loopback_server.h"
#include "shell/fake_progress_list.h"
#include "shell/page_captions.h"

namespace lmr {
namespace {

using test::TdsStandin;

// The product database with the given attribute rows (a JSON list text).
std::string Fixture(const std::string& attributes) {
  return "{\"logins\": {\"sa\": \"\", \"Lumaro\": \"Brevanto\"}, \"databases\": ["
         "{\"name\": \"master\", \"owner\": \"sa\"},"
         "{\"name\": \"LumaroSchool\", \"owner\": \"Lumaro\", \"attributes\": " +
         attributes + "}]}";
}

std::unique_ptr<DbConnection> ProductConnection(const TdsStandin& standin) {
  auto c = CreateOdbcConnection();
  c->SetConnectionString(BuildConnectionString({"Brevanto", "Lumaro", "LumaroSchool", standin.Server()}));
  return c;
}

TEST(ProxySettingsFromStandin, AttributeRowsThroughOdbc) {
  TdsStandin standin("proxy_rows", Fixture(R"([["UseProxyServer", "1"], ["ProxyPassword", "not this"],
      ["ProxyPASsword", "s3cret"], ["ProxyPort", "8080"], ["ProxyServer", "proxy.school.local"],
      ["ProxyUser", "Учитель"], ["LMROLServerAddress", "srv\\lmr"], ["UseProxyAuthorization", null],
      ["ProxyServer", "proxy2.school.local"]])"));
  const auto connection = ProductConnection(standin);
  TLMROLProxyParam params;
  ReadProxySettings(*connection, params);  // opens the connection itself
  EXPECT_TRUE(connection->IsOpen());
  EXPECT_TRUE(params.UseProxyServer);
  EXPECT_EQ(params.ProxyPassword, "s3cret");
  EXPECT_EQ(params.ProxyPort, 8080);
  EXPECT_EQ(params.ProxyServer, "proxy2.school.local");
  EXPECT_EQ(params.ProxyUser, "\xD3\xF7\xE8\xF2\xE5\xEB\xFC");  // windows-1251
  EXPECT_EQ(params.LMROLServerAddress, "srv\\lmr");
  EXPECT_FALSE(params.UseProxyAuthorization);
}

TEST(ProxySettingsFromStandin, NonNumericPortRaises) {
  TdsStandin standin("proxy_bad_port", Fixture(R"([["ProxyPort", "eighty"]])"));
  const auto connection = ProductConnection(standin);
  TLMROLProxyParam params;
  EXPECT_THROW(ReadProxySettings(*connection, params), std::runtime_error);
}

TEST(ProxySettingsFromStandin, StageReachesTheServiceTheDatabaseNames) {
  loopback::TLoopbackServer service("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true);
  TdsStandin standin("proxy_stage", Fixture(R"([["LMROLServerAddress", "127.0.0.1:)" +
                                            std::to_string(service.Port) + R"("], ["ProxyPASsword", "s3cret"]])"));
  const auto connection = ProductConnection(standin);

  class NoProbes : public NetworkProbes {
    bool IsLocalPortOpen(std::uint16_t) override { return false; }
    bool CurrentUserIsAdmin() override { return false; }
    bool NetworkPresent() override { return false; }
    bool InternetConnectionState(std::uint32_t&) override { return false; }
    void GetAdaptersList(TAdaptersStructList& list) override { list.assign(1, TAdaptersStruct{}); }
  } probes;
  test::FakeProgressList list;
  FillProgressList(list, NetworkStepCaptions());
  int current = -1;
  online::TLMROLCSClient client;
  {
    TTavXMLLogProvider writer("S.xml");
    ProgressSteps steps(list, "Complete", current);
    StageHost host{writer, steps, [](std::uint32_t) {}};
    RunNetworkStage(host, probes, {true, true, connection.get()}, client, [](const std::string& text) {
      ADD_FAILURE() << "error box: " << text;
    });
  }
  const std::string report = test::ReadAll("S.xml");
  EXPECT_NE(report.find("<Online><Connected>OK</Connected>\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("<LMROLServerAddress>127.0.0.1:" + std::to_string(service.Port) + "</LMROLServerAddress>"),
            std::string::npos);
  EXPECT_EQ(report.find("s3cret"), std::string::npos) << "the proxy password reached the report";
  EXPECT_EQ(service.Request().rfind("HEAD /lumaro/LMROLClientServer.dll HTTP/1.", 0), 0u);
}

}  // namespace
}  // namespace lmr
