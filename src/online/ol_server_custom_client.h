#pragma once
// Base client of the product's online service: holds the service URL and
// the proxy settings, checks reachability with one HEAD request and keeps
// that outcome until the settings change, and sends commands as GET requests.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "online/tav_http.h"

namespace online {

struct TProxyParams {
  bool UseProxyServer = false;
  std::string ProxyServer; // host or address, without port
  std::int32_t ProxyPort = 0;
  bool UseProxyAuthorization = false;
  std::string ProxyUser;
  std::string ProxyPassword;
};

TProxyParams MakeProxyParams(bool useProxyServer, const std::string &proxyServer, std::int32_t proxyPort,
                             bool useProxyAuthorization, const std::string &proxyUser,
                             const std::string &proxyPassword);
// The server name compares without letter case, the credentials exactly.
bool SameProxyParams(const TProxyParams &a, const TProxyParams &b);
std::string AddTrailingChar(const std::string &text, char c);

class TOLServerCustomClient {
public:
  TOLServerCustomClient();
  virtual ~TOLServerCustomClient();
  TOLServerCustomClient(const TOLServerCustomClient &) = delete;
  TOLServerCustomClient &operator=(const TOLServerCustomClient &) = delete;

  void SetServerURL(const std::string &url);
  void SetProxyParams(const TProxyParams &params);
  bool IsConnected();
  // params may be null; its lines go into the URL as they are.
  virtual void SendCommand(const std::string &command, const std::vector<std::string> *params,
                           std::string &answer);
  virtual void SendRequest(const std::string &url, std::string &answer);
  virtual void ResetConnectionState();
  virtual void CheckConnection();
  void UpdateConnectionState();
  std::unique_ptr<TTavHTTP> CreateHttp() const;
  void ApplyProxy(TTavHTTP *transport) const;

  // The TCP streams and bounds of the transports this client creates.
  std::function<std::unique_ptr<TTcpStream>()> StreamFactory = CreateSocketStream;
  THttpBounds Bounds;

protected:
  std::string ServerURL;
  TProxyParams ProxyParams;
  std::mutex Lock;
  bool ProxyChanged = false;
  bool ServerURLChanged = false;
  bool Connected = false;
  std::string LastError;
  std::string FailedURL;
};

} // namespace online
