#pragma once
// HTTP/1.x client over one TCP connection: builds and writes the request,
// reads the status line, headers and body, follows or refuses redirects and
// keeps or closes the connection. Texts are windows-1251 byte strings.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "online/http_bounds.h"
#include "online/http_errors.h"
#include "online/tcp_stream.h"

namespace online {

enum TIdHTTPProtocolVersion { pv1_0, pv1_1 };

enum THttpMethod { hmHead = 0, hmGet = 1, hmPost = 2 };

struct TTavHTTPRequest {
  std::string Accept = "text/html, */*";
  std::string AcceptCharSet, AcceptEncoding, AcceptLanguage, From, Referer;
  std::string UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
  std::string Connection, ContentVersion, ContentEncoding, ContentLanguage, ContentType;
  std::int32_t ContentLength = 0;
  std::uint32_t ContentRangeStart = 0, ContentRangeEnd = 0;
  std::string Username, Password;
  std::string ProxyServer;
  std::int32_t ProxyPort = 0;
  std::string ProxyUsername, ProxyPassword;
  std::vector<std::string> ExtraHeaders; // "Name: value"
};

struct TTavHTTPResponse {
  std::string Location, Connection;
  std::int32_t ContentLength = 0;
  // A Content-Length header with a number was received; only then does a
  // length of 0 mean an empty body rather than "absent".
  bool HasContentLength = false;
  std::vector<std::string> ExtraHeaders; // every other header line, as received
};

// A POST body: lines (each written with CR LF) or bytes written whole.
using TPostLines = std::vector<std::string>;
using TPostBody = std::variant<TPostLines, std::string>;

struct TUrlParts {
  std::string Protocol, Host, Port, Path, Document, Fragment;
};

// "\" becomes "/"; without "://" protocol, host and port stay empty.
TUrlParts SplitUrl(const std::string &url);
std::string Base64Encode(const std::string &bytes);

class TTavHTTP {
public:
  TTavHTTP();
  explicit TTavHTTP(std::unique_ptr<TTcpStream> stream);
  ~TTavHTTP();
  TTavHTTP(const TTavHTTP &) = delete;
  TTavHTTP &operator=(const TTavHTTP &) = delete;

  void Head(const std::string &url);
  std::string Get(const std::string &url);
  // body: only for POST, may be null. responseStream receives the body and
  // may be null, in which case no body is read.
  void PerformRequest(THttpMethod method, const std::string &url, const TPostBody *body,
                      std::string *responseStream);

  bool Connected() const;
  void Disconnect();
  // Builds the request header lines in their fixed order.
  std::vector<std::string> BuildRequestHeaders() const;

  std::string Host;
  std::int32_t Port = 80;
  TIdHTTPProtocolVersion ProtocolVersion = pv1_1;
  bool HandleRedirects = false;
  std::int32_t RedirectMaximum = 15;
  bool HandleContinue = true;
  TTavHTTPRequest Request;
  TTavHTTPResponse Response;
  std::int32_t ResponseCode = 0;
  std::string ResponseText;
  std::int32_t RedirectCount = 0;
  std::string HostHeader;
  std::string ProtoHeader;
  THttpBounds Bounds;
  // May change the location; handled starts as HandleRedirects.
  std::function<void(std::string &location, std::int32_t redirectCount, bool &handled)> OnRedirect;
  std::function<void(const std::string &status)> OnStatus;

private:
  bool SelectHostAndPort(const std::string &protocol, const std::string &host, std::int32_t port);
  void ReadStatusLine();
  void ReadHeaders();
  void ReadBody(std::string *stream);
  std::size_t ReadChunkSize();
  bool AskRedirect(std::string &location);
  void CheckForDisconnect();
  void ConnectStream();
  bool FillBuffer();
  std::string ReadLn();
  void ReadBytes(std::size_t count, std::string &stream);
  void ReadToEnd(std::string &stream);
  void CheckBodyBound(std::size_t held, std::size_t more) const;

  std::unique_ptr<TTcpStream> Stream;
  std::string InBuffer;
  std::size_t InPos = 0;
  bool AnswerIs10 = false;
};

} // namespace online
