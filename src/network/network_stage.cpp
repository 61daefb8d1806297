#include "network/network_stage.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "common/db_value.h"
#include "common/exception_capture.h"
#include "shell/error_entries.h"
#include "shell/page_captions.h"

namespace lmr {

namespace {

constexpr std::uint16_t kProbedPorts[] = {42424, 42425, 42426, 42427};

const char* YesNo(bool yes) { return yes ? "Yes" : "No"; }

std::string ValueText(const DbValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  return "";
}

// A one-byte flag: set when the low 8 bits of the number are not all zero.
bool ByteFlag(const DbValue& value) { return (VariantToIntOrDefault(value, 0) & 0xFF) != 0; }

void ReplaceBackslashes(std::string& text) { std::replace(text.begin(), text.end(), '\\', '/'); }

void PrefixHttp(std::string& text) {
  if (text.find("http://") == std::string::npos) text.insert(0, "http://");
}

void WritePorts(TTavXMLLogProvider& w, StepProtocol& steps, const std::string& caption, NetworkProbes& probes) {
  GuardedNode ports(w, "Ports");
  GuardedStep step(steps, caption);
  for (const std::uint16_t port : kProbedPorts)
    w.WriteValue("Port_" + std::to_string(port), probes.IsLocalPortOpen(port) ? "Open" : "Close");
  w.WriteValue("IsAdminCurrentUser", YesNo(probes.CurrentUserIsAdmin()));
  w.WriteValue("IsPresentNetwork", YesNo(probes.NetworkPresent()));
  std::uint32_t flags = 0;  // the kind of an unanswered state is the unknown one
  const bool connected = probes.InternetConnectionState(flags);
  w.WriteValue("IsInternetConnected", std::string(YesNo(connected)) + "  Kind: " + InternetConnectionKindText(flags));
}

void WriteOnline(TTavXMLLogProvider& w, StepProtocol& steps, const std::string& caption,
                 const NetworkStageInputs& inputs, online::TOLServerCustomClient& client,
                 const ShowErrorBox& showError) {
  GuardedNode online(w, "Online");
  GuardedStep step(steps, caption);
  TLMROLProxyParam params;
  if (inputs.ProductConnection && inputs.ServerConfigFound && inputs.EngineRunning)
    ReadProxySettings(*inputs.ProductConnection, params);
  StartExceptionCapture();
  if (CheckOnlineService(client, params)) {
    w.WriteValue("Connected", "OK");
  } else {
    std::vector<std::string> lines;
    if (GetCapturedExceptions(lines)) {
      for (const std::string& line : lines) {
        w.WriteValue("ConnectionError", line);
        showError("ConnectionError: " + line);
      }
    }
    WriteSystemError(w);
    WriteSocketError(w);
  }
  StopExceptionCapture();
  WriteProxyParams(w, params);
}

}  // namespace

const char kProxySettingsQuery[] =
    "SELECT A.DataValue, AN.AttributeName FROM Attributes A INNER JOIN Objects O WITH(NOLOCK) ON O.Object_ID = "
    "A.Object_ID INNER JOIN ObjectTypes OT WITH(NOLOCK) ON OT.ObjectType_ID = O.ObjectType_ID INNER JOIN "
    "AttributeNames AN WITH(NOLOCK) ON A.AttributeName_ID = AN.AttributeName_ID WHERE OT.ObjectTypeCode = 5 and "
    "AN.AttributeName in ('UseProxyServer', 'ProxyPASsword','ProxyPort','ProxyServer','ProxyUser',"
    "'LMROLServerAddress', 'UseProxyAuthorization')";

TOnlineSettings& OnlineSettings() {
  static TOnlineSettings settings;
  return settings;
}

void ReadProxySettings(DbConnection& connection, TLMROLProxyParam& params) {
  if (!connection.IsOpen()) connection.Open();
  const std::unique_ptr<DbRecordSet> rows = connection.Execute(kProxySettingsQuery);
  if (!rows) return;
  for (; !rows->Eof(); rows->MoveNext()) {
    const std::string name = ValueText(rows->Field("AttributeName"));
    if (name == "UseProxyServer") {
      params.UseProxyServer = ByteFlag(rows->Field("DataValue"));
    } else if (name == "ProxyPASsword") {
      params.ProxyPassword = ValueText(rows->Field("DataValue"));
    } else if (name == "ProxyPort") {
      params.ProxyPort = static_cast<std::uint16_t>(VariantToIntOrDefault(rows->Field("DataValue"), 0));
    } else if (name == "ProxyServer") {
      params.ProxyServer = ValueText(rows->Field("DataValue"));
    } else if (name == "ProxyUser") {
      params.ProxyUser = ValueText(rows->Field("DataValue"));
    } else if (name == "LMROLServerAddress") {
      params.LMROLServerAddress = ValueText(rows->Field("DataValue"));
    } else if (name == "UseProxyAuthorization") {
      params.UseProxyAuthorization = ByteFlag(rows->Field("DataValue"));
    }
  }
}

void BuildServiceUrls() {
  TOnlineSettings& s = OnlineSettings();
  if (s.LMROLServerAddress.empty()) return;
  if (s.LMROLServerAddress.back() != '\\') s.LMROLServerAddress += '\\';
  s.LMROLServerAddress += "lumaro/LMROLClientServer.dll";
  ReplaceBackslashes(s.LMROLServerAddress);
  ReplaceBackslashes(s.ProxyServer);
  PrefixHttp(s.LMROLServerAddress);
  PrefixHttp(s.ProxyServer);
}

bool CheckOnlineService(online::TOLServerCustomClient& client, const TLMROLProxyParam& params) {
  TOnlineSettings& s = OnlineSettings();
  s.UseProxyServer = params.UseProxyServer;
  s.ProxyPassword = params.ProxyPassword;
  s.ProxyPort = params.ProxyPort;
  s.ProxyServer = params.ProxyServer;
  s.ProxyUser = params.ProxyUser;
  s.UseProxyAuthorization = params.UseProxyAuthorization;
  s.LMROLServerAddress = params.LMROLServerAddress;
  BuildServiceUrls();
  try {
    client.SetServerURL(s.LMROLServerAddress);
    client.SetProxyParams(online::MakeProxyParams(s.UseProxyServer, s.ProxyServer, s.ProxyPort,
                                                  s.UseProxyAuthorization, s.ProxyUser, s.ProxyPassword));
    return client.IsConnected();
  } catch (...) {
    return false;  // whatever failed, the service did not answer the check
  }
}

void WriteProxyParams(TTavXMLLogProvider& w, const TLMROLProxyParam& params) {
  GuardedNode node(w, "ProxyParams");
  w.WriteValue("UseProxyServer", YesNo(params.UseProxyServer));
  w.WriteValue("ProxyPort", std::to_string(params.ProxyPort));
  w.WriteValue("ProxyServer", params.ProxyServer);
  w.WriteValue("ProxyUser", params.ProxyUser);
  w.WriteValue("LMROLServerAddress", params.LMROLServerAddress);
  w.WriteValue("UseProxyAuthorization", YesNo(params.UseProxyAuthorization));
}

void WriteAdapters(TTavXMLLogProvider& w, const TAdaptersStructList& adapters) {
  GuardedNode list(w, "NetAdapters");
  for (std::size_t n = 0; n < adapters.size(); ++n) {
    GuardedNode adapter(w, "Adapter" + std::to_string(n));
    w.WriteValue("AdapterName", adapters[n].AdapterName);
    w.WriteValue("Description", adapters[n].Description);
    for (const TIPAdderessStruct& entry : adapters[n].IpAddressList) w.WriteValue("IP", entry.IpAddress);
  }
}

void RunNetworkStage(StageHost& host, NetworkProbes& probes, const NetworkStageInputs& inputs,
                     online::TOLServerCustomClient& client, const ShowErrorBox& showError) {
  TTavXMLLogProvider& w = host.ReportWriter;
  const auto& caption = NetworkStepCaptions();
  GuardedNode section(w, "NetWork");
  WritePorts(w, host.Steps, caption[0], probes);
  WriteOnline(w, host.Steps, caption[1], inputs, client, showError);
  GuardedStep step(host.Steps, caption[2]);
  TAdaptersStructList adapters;
  probes.GetAdaptersList(adapters);
  WriteAdapters(w, adapters);
}

}  // namespace lmr
