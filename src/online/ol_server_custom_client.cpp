#include "online/ol_server_custom_client.h"

#include <algorithm>
#include <cctype>

namespace online {

namespace {

// Lower case of windows-1251 text: Latin and Cyrillic letters.
std::string AnsiLowerCase(std::string s) {
  for (char &ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z') ch = static_cast<char>(c + 32);
    else if (c >= 0xC0 && c <= 0xDF) ch = static_cast<char>(c + 32);
    else if (c == 0xA8) ch = static_cast<char>(0xB8);
  }
  return s;
}

std::string RemoveHttpPrefixes(const std::string &text) {
  static const std::string Prefix = "http://";
  const std::string lower = AnsiLowerCase(text);
  std::string out;
  std::size_t from = 0;
  for (auto at = lower.find(Prefix); at != std::string::npos; at = lower.find(Prefix, from)) {
    out.append(text, from, at - from);
    from = at + Prefix.size();
  }
  return out + text.substr(from);
}

} // namespace

TProxyParams MakeProxyParams(bool useProxyServer, const std::string &proxyServer, std::int32_t proxyPort,
                             bool useProxyAuthorization, const std::string &proxyUser,
                             const std::string &proxyPassword) {
  return TProxyParams{useProxyServer, proxyServer, proxyPort, useProxyAuthorization, proxyUser, proxyPassword};
}

bool SameProxyParams(const TProxyParams &a, const TProxyParams &b) {
  return a.UseProxyServer == b.UseProxyServer &&
         AnsiLowerCase(a.ProxyServer) == AnsiLowerCase(b.ProxyServer) && a.ProxyPort == b.ProxyPort &&
         a.UseProxyAuthorization == b.UseProxyAuthorization && a.ProxyUser == b.ProxyUser &&
         a.ProxyPassword == b.ProxyPassword;
}

std::string AddTrailingChar(const std::string &text, char c) {
  if (!text.empty() && text.back() == c) return text;
  return text + c;
}

TOLServerCustomClient::TOLServerCustomClient() = default;

TOLServerCustomClient::~TOLServerCustomClient() = default;

void TOLServerCustomClient::SetServerURL(const std::string &url) {
  if (url == ServerURL) return;
  FailedURL.clear();
  ServerURL = url;
  std::replace(ServerURL.begin(), ServerURL.end(), '\\', '/');
  ServerURLChanged = true;
  ResetConnectionState();
}

void TOLServerCustomClient::SetProxyParams(const TProxyParams &params) {
  if (SameProxyParams(ProxyParams, params)) return;
  FailedURL.clear();
  ProxyParams = params;
  ProxyParams.ProxyServer = RemoveHttpPrefixes(ProxyParams.ProxyServer);
  ProxyChanged = true;
  ResetConnectionState();
}

void TOLServerCustomClient::ResetConnectionState() { Connected = false; }

bool TOLServerCustomClient::IsConnected() {
  UpdateConnectionState();
  return Connected;
}

void TOLServerCustomClient::UpdateConnectionState() {
  std::lock_guard<std::mutex> guard(Lock);
  LastError.clear();
  if (ServerURL.empty()) {
    LastError = "ServerURL is not defined";
  } else if (!Connected && FailedURL != ServerURL) {
    CheckConnection();
  }
}

void TOLServerCustomClient::CheckConnection() {
  Connected = true;
  const std::unique_ptr<TTavHTTP> transport = CreateHttp();
  ApplyProxy(transport.get());
  try {
    transport->Head(ServerURL);
  } catch (const std::exception &e) {
    LastError = std::string("ES: ") + e.what();
    FailedURL = ServerURL;
  }
  // Decided by the status text alone, also after an error that came once
  // the status line was read.
  Connected = transport->ResponseText == "200 OK";
}

std::unique_ptr<TTavHTTP> TOLServerCustomClient::CreateHttp() const {
  auto transport = std::make_unique<TTavHTTP>(StreamFactory());
  transport->Bounds = Bounds;
  return transport;
}

void TOLServerCustomClient::ApplyProxy(TTavHTTP *transport) const {
  if (!transport || !ProxyParams.UseProxyServer) return;
  transport->Request.ProxyServer = ProxyParams.ProxyServer;
  transport->Request.ProxyPort = ProxyParams.ProxyPort;
  if (ProxyParams.UseProxyAuthorization) {
    transport->Request.ProxyPassword = ProxyParams.ProxyPassword;
    transport->Request.ProxyUsername = ProxyParams.ProxyUser;
  }
}

void TOLServerCustomClient::SendRequest(const std::string &url, std::string &answer) {
  if (!IsConnected()) {
    answer = LastError;
    return;
  }
  const std::unique_ptr<TTavHTTP> transport = CreateHttp();
  ApplyProxy(transport.get());
  answer = transport->Get(url);
}

void TOLServerCustomClient::SendCommand(const std::string &command, const std::vector<std::string> *params,
                                        std::string &answer) {
  std::string url = AddTrailingChar(ServerURL, '/') + AddTrailingChar(command, '?');
  if (params)
    for (const auto &line : *params) url += "&" + line;
  SendRequest(url, answer);
}

} // namespace online
