#pragma once
// The network page's stage: the "NetWork" section of the report with the
// local network facts, the online check against the product's online service
// and the network adapters.
#include <cstdint>
#include <functional>
#include <string>

#include "database/db_connection.h"
#include "network/network_utils.h"
#include "online/ol_server_custom_client.h"
#include "shell/step_protocol.h"

namespace lmr {

// The probes the stage asks; the machine's in the window, scripted in tests.
class NetworkProbes {
 public:
  virtual ~NetworkProbes() = default;
  virtual bool IsLocalPortOpen(std::uint16_t port) = 0;
  virtual bool CurrentUserIsAdmin() = 0;
  virtual bool NetworkPresent() = 0;
  virtual bool InternetConnectionState(std::uint32_t& flags) = 0;
  virtual void GetAdaptersList(TAdaptersStructList& list) = 0;
};

// The proxy and service settings the product keeps in its database.
struct TLMROLProxyParam {
  bool UseProxyServer = false;
  std::string ProxyPassword;
  std::uint16_t ProxyPort = 0;
  std::string ProxyServer;
  std::string ProxyUser;
  std::string LMROLServerAddress;
  bool UseProxyAuthorization = false;
};

// The settings of the latest online check, kept for the whole run; the
// service address and the proxy server are rewritten into URLs.
struct TOnlineSettings {
  bool UseProxyServer = false;
  std::string ProxyPassword;
  std::uint16_t ProxyPort = 0;
  std::string ProxyServer;
  std::string ProxyUser;
  bool UseProxyAuthorization = false;
  std::string LMROLServerAddress;
};
TOnlineSettings& OnlineSettings();

// The attribute query whose rows carry the settings.
extern const char kProxySettingsQuery[];

// Fills `params` from the rows of kProxySettingsQuery, opening the connection
// first when it is closed. Names compare with letter case significant; a later
// row wins. Raises DbError from the database and std::runtime_error for a
// number that does not convert.
void ReadProxySettings(DbConnection& connection, TLMROLProxyParam& params);

// Rewrites the service address and the proxy server of OnlineSettings():
// nothing when the address is empty; otherwise the address gets "\" (unless it
// ends in one) and "lumaro/LMROLClientServer.dll", every "\" in both becomes
// "/", and each gets "http://" in front unless it holds that text already.
void BuildServiceUrls();

// Stores params into OnlineSettings(), rewrites them and asks the client
// whether the service answers; any error means false.
bool CheckOnlineService(online::TOLServerCustomClient& client, const TLMROLProxyParam& params);

// "ProxyParams": everything but the password.
void WriteProxyParams(TTavXMLLogProvider& writer, const TLMROLProxyParam& params);
// "NetAdapters": per adapter its name, description and one "IP" per address.
void WriteAdapters(TTavXMLLogProvider& writer, const TAdaptersStructList& adapters);

// What the stage takes from the earlier stages and the window.
struct NetworkStageInputs {
  bool EngineRunning = false;
  bool ServerConfigFound = false;
  DbConnection* ProductConnection = nullptr;  // none when the database stage left none
};

// Shows one modal error box and returns when the user closed it.
using ShowErrorBox = std::function<void(const std::string& text)>;

// Runs the three steps with the captions of NetworkStepCaptions(). Each step
// is marked and each opened element closed also when a check raises; an error
// of the settings query leaves the stage (the adapter step does not run).
// There is no closing wait.
void RunNetworkStage(StageHost& host, NetworkProbes& probes, const NetworkStageInputs& inputs,
                     online::TOLServerCustomClient& client, const ShowErrorBox& showError);

}  // namespace lmr
