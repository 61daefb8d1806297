#include "online/tav_http.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace online {

namespace {

const char ConnectionClosedText[] = "Connection closed gracefully.";

// Interim answers skipped after a first 100 to a POST, at most.
const int MaxInterimAnswers = 1000;

std::string Upper(std::string s) {
  for (char &c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool SameText(const std::string &a, const std::string &b) { return Upper(a) == Upper(b); }

std::string Trim(const std::string &s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Optional sign and decimal digits within 32 bits; anything else is no number.
bool TryStrToInt(const std::string &text, std::int32_t &value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  v = negative ? -v : v;
  if (v > INT_MAX || v < INT_MIN) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

std::int32_t StrToIntDef(const std::string &text, std::int32_t def) {
  std::int32_t v;
  return TryStrToInt(text, v) ? v : def;
}

bool HasLineBreak(const std::string &s) { return s.find_first_of("\r\n") != std::string::npos; }

// RedirectCount ends at 0 also when the request fails, so a reused object
// does not start from a stale count.
struct TRedirectCountReset {
  std::int32_t &Count;
  ~TRedirectCountReset() { Count = 0; }
};

} // namespace

TUrlParts SplitUrl(const std::string &url) {
  std::string s = url;
  std::replace(s.begin(), s.end(), '\\', '/');
  TUrlParts p;
  const auto scheme = s.find("://");
  if (scheme != std::string::npos) {
    p.Protocol = s.substr(0, scheme);
    s.erase(0, scheme + 3);
    const auto slash = s.find('/');
    const std::string hostPort = s.substr(0, slash);
    s = slash == std::string::npos ? std::string() : s.substr(slash);
    const auto colon = hostPort.rfind(':');
    if (colon != std::string::npos) {
      p.Host = hostPort.substr(0, colon);
      p.Port = hostPort.substr(colon + 1);
    } else {
      p.Host = hostPort;
    }
  }
  // The fragment is cut first so that a "#" never reaches the request line.
  const auto hash = s.find('#');
  if (hash != std::string::npos) {
    p.Fragment = s.substr(hash + 1);
    s.erase(hash);
  }
  const auto last = s.rfind('/');
  if (last == std::string::npos) {
    p.Document = s;
  } else {
    p.Path = s.substr(0, last + 1);
    p.Document = s.substr(last + 1);
  }
  if (p.Path.empty() || p.Path[0] != '/') p.Path.insert(0, "/");
  return p;
}

std::string Base64Encode(const std::string &bytes) {
  static const char Alphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (n > 1) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (n > 2) v |= static_cast<unsigned char>(bytes[i + 2]);
    out += Alphabet[(v >> 18) & 63];
    out += Alphabet[(v >> 12) & 63];
    out += n > 1 ? Alphabet[(v >> 6) & 63] : '=';
    out += n > 2 ? Alphabet[v & 63] : '=';
  }
  return out;
}

TTavHTTP::TTavHTTP() : TTavHTTP(CreateSocketStream()) {}

TTavHTTP::TTavHTTP(std::unique_ptr<TTcpStream> stream) : Stream(std::move(stream)) {}

TTavHTTP::~TTavHTTP() { Disconnect(); }

bool TTavHTTP::Connected() const { return Stream->IsOpen(); }

void TTavHTTP::Disconnect() {
  if (Stream->IsOpen()) Stream->Close();
}

void TTavHTTP::Head(const std::string &url) { PerformRequest(hmHead, url, nullptr, nullptr); }

std::string TTavHTTP::Get(const std::string &url) {
  std::string text;
  PerformRequest(hmGet, url, nullptr, &text);
  return text;
}

std::vector<std::string> TTavHTTP::BuildRequestHeaders() const {
  std::vector<std::string> h;
  const auto add = [&h](const char *name, const std::string &value) {
    if (!value.empty()) h.push_back(name + value);
  };
  add("Accept: ", Request.Accept);
  add("Accept-Charset: ", Request.AcceptCharSet);
  add("Accept-Encoding: ", Request.AcceptEncoding);
  add("Accept-Language: ", Request.AcceptLanguage);
  add("From: ", Request.From);
  add("Referer: ", Request.Referer);
  add("User-Agent: ", Request.UserAgent);
  add("Connection: ", Request.Connection);
  add("Content-Version: ", Request.ContentVersion);
  add("Content-Encoding: ", Request.ContentEncoding);
  add("Content-Language: ", Request.ContentLanguage);
  add("Content-Type: ", Request.ContentType);
  if (Request.ContentLength != 0) h.push_back("Content-Length: " + std::to_string(Request.ContentLength));
  if (Request.ContentRangeStart != 0 || Request.ContentRangeEnd != 0) {
    std::string range = "Range: bytes=" + std::to_string(Request.ContentRangeStart) + "-";
    if (Request.ContentRangeEnd != 0) range += std::to_string(Request.ContentRangeEnd);
    h.push_back(range);
  }
  if (!Request.Username.empty())
    h.push_back("Authorization: Basic " + Base64Encode(Request.Username + ":" + Request.Password));
  if (!Request.ProxyServer.empty() && !Request.ProxyUsername.empty())
    h.push_back("Proxy-Authorization: Basic " +
                Base64Encode(Request.ProxyUsername + ":" + Request.ProxyPassword));
  h.insert(h.end(), Request.ExtraHeaders.begin(), Request.ExtraHeaders.end());
  return h;
}

void TTavHTTP::PerformRequest(THttpMethod method, const std::string &url, const TPostBody *body,
                              std::string *responseStream) {
  ++RedirectCount;
  TRedirectCountReset reset{RedirectCount};

  const TUrlParts parts = SplitUrl(url);
  std::string uri = parts.Path + parts.Document;
  const std::int32_t port = StrToIntDef(parts.Port, -1);
  if (SelectHostAndPort(parts.Protocol, parts.Host, port)) {
    // The proxy learns the port only from the absolute URI; without it a
    // service on another port would be looked for on the default one.
    uri = (parts.Protocol.empty() ? ProtoHeader : parts.Protocol) + "://" +
          (parts.Host.empty() ? HostHeader : parts.Host) +
          (parts.Host.empty() || port == -1 ? std::string() : ":" + std::to_string(port)) + uri;
  }

  Request.ContentLength = 0;
  if (method == hmPost && body) {
    if (const auto *lines = std::get_if<TPostLines>(body)) {
      for (const auto &line : *lines) Request.ContentLength += static_cast<std::int32_t>(line.size() + 2);
    } else {
      Request.ContentLength = static_cast<std::int32_t>(std::get<std::string>(*body).size());
    }
  }
  const std::vector<std::string> headers = BuildRequestHeaders();

  // A CR or LF taken from a URL or a setting would start a line of its own
  // and let that text forge headers or a second request.
  if (HasLineBreak(uri) || HasLineBreak(HostHeader) ||
      std::any_of(headers.begin(), headers.end(), HasLineBreak))
    throw ETavHttpError("Line break in request URI or header");

  static const char *const MethodNames[] = {"HEAD ", "GET ", "POST "};
  std::string out = MethodNames[method] + uri + " HTTP/" + (ProtocolVersion == pv1_0 ? "1.0" : "1.1") + "\r\n";
  out += "Host: " + HostHeader + "\r\n";
  for (const auto &line : headers) out += line + "\r\n";
  out += "\r\n";
  if (method == hmPost && body) {
    if (const auto *lines = std::get_if<TPostLines>(body)) {
      for (const auto &line : *lines) out += line + "\r\n";
    } else {
      out += std::get<std::string>(*body);
    }
  }

  CheckForDisconnect();
  if (!Connected()) ConnectStream();
  if (!Stream->WriteAll(out, Bounds.WriteTimeoutMs))
    throw EHttpBoundExceeded(THttpBound::Write, "Write time-out: the peer took no data within " +
                                                    std::to_string(Bounds.WriteTimeoutMs) + " ms");

  ReadStatusLine();
  ReadHeaders();

  if ((ResponseCode / 100 != 3 || ResponseCode == 304) && Response.Location.empty()) {
    if (HandleContinue && ResponseCode == 100 && Connected() && method == hmPost) {
      int repetitions = 0;
      try {
        do {
          ++repetitions;
          ReadStatusLine();
          ReadHeaders();
        } while (ResponseCode / 100 == 1 && repetitions < MaxInterimAnswers && Connected());
      } catch (const std::exception &) {
        // Interim answers are advisory; go on with the last one read.
      }
    }
    ReadBody(responseStream);
    if (ResponseCode / 100 != 2) throw EHttpProtocolError(ResponseCode, ResponseText);
  } else {
    ReadBody(responseStream);
    std::string location = Response.Location;
    if (HandleRedirects && RedirectCount < RedirectMaximum) {
      // Cleared rather than rewound: the next body may be shorter and must
      // not keep the tail of this one.
      if (responseStream) responseStream->clear();
      if (AskRedirect(location)) {
        if (ProtocolVersion == pv1_0 || AnswerIs10) Disconnect();
        PerformRequest(method, location, body, responseStream);
      }
    } else {
      if (!AskRedirect(location)) throw EHttpProtocolError(ResponseCode, ResponseText);
      Response.Location = location;
    }
  }

  if (ProtocolVersion == pv1_0 || AnswerIs10) {
    Disconnect();
  } else if (SameText(Trim(Response.Connection), "CLOSE") && Connected()) {
    Disconnect();
  } else {
    CheckForDisconnect();
  }
}

bool TTavHTTP::SelectHostAndPort(const std::string &protocol, const std::string &host,
                                 std::int32_t port) {
  if (!Request.ProxyServer.empty()) {
    Host = Request.ProxyServer;
    Port = Request.ProxyPort;
    if (!host.empty()) HostHeader = host;
    if (!protocol.empty()) ProtoHeader = protocol;
    return true;
  }
  if (SameText(protocol, "HTTPS")) throw ETavHttpError("Intercept value is not valid");
  if (!host.empty()) {
    if ((!SameText(host, Host) || port != Port) && Connected()) Disconnect();
    Host = host;
    HostHeader = host;
    if (!protocol.empty()) ProtoHeader = protocol;
  } else {
    HostHeader = Host;
  }
  Port = port == -1 ? 80 : port;
  return false;
}

bool TTavHTTP::AskRedirect(std::string &location) {
  bool handled = HandleRedirects;
  if (OnRedirect) OnRedirect(location, RedirectCount, handled);
  return handled;
}

void TTavHTTP::ReadStatusLine() {
  const std::string line = ReadLn();
  AnswerIs10 = line.size() >= 8 && SameText(line.substr(5, 3), "1.0");
  const auto blank = line.find(' ');
  ResponseText = blank == std::string::npos ? std::string() : line.substr(blank + 1);
  const std::string code = ResponseText.substr(0, ResponseText.find(' '));
  if (!TryStrToInt(code, ResponseCode)) throw EConvertError("'" + code + "' is not a valid integer value");
}

void TTavHTTP::ReadHeaders() {
  Response = TTavHTTPResponse();
  std::size_t count = 0;
  for (std::string line = ReadLn(); !line.empty(); line = ReadLn()) {
    if (++count > Bounds.MaxHeaderCount)
      throw EHttpBoundExceeded(THttpBound::HeaderCount, "Header count bound: more than " +
                                                            std::to_string(Bounds.MaxHeaderCount) +
                                                            " header lines");
    const auto colon = line.find(':');
    const std::string name = Trim(line.substr(0, colon));
    const std::string value = colon == std::string::npos ? std::string() : Trim(line.substr(colon + 1));
    if (SameText(name, "Location")) {
      Response.Location = value;
    } else if (SameText(name, "Connection")) {
      Response.Connection = value;
    } else if (SameText(name, "Content-Length")) {
      Response.HasContentLength = TryStrToInt(value, Response.ContentLength);
      if (!Response.HasContentLength) Response.ContentLength = 0;
    } else {
      Response.ExtraHeaders.push_back(line);
    }
  }
}

void TTavHTTP::ReadBody(std::string *stream) {
  // 1xx, 204 and 304 answers carry no body; reading one "to the end" would
  // wait on a kept connection until the read bound.
  if (!stream || ResponseCode / 100 == 1 || ResponseCode == 204 || ResponseCode == 304) return;
  if (Response.ContentLength < 0)
    throw ETavHttpError("Invalid Content-Length " + std::to_string(Response.ContentLength));
  if (Response.HasContentLength) {
    ReadBytes(static_cast<std::size_t>(Response.ContentLength), *stream);
    return;
  }
  std::string transferEncoding;
  for (const auto &line : Response.ExtraHeaders) {
    const auto colon = line.find(':');
    if (colon != std::string::npos && SameText(Trim(line.substr(0, colon)), "Transfer-Encoding"))
      transferEncoding = line.substr(colon + 1);
  }
  if (transferEncoding.find("chunked") == std::string::npos) {
    ReadToEnd(*stream);
    return;
  }
  if (OnStatus) OnStatus("Chunk Started");
  for (std::size_t size = ReadChunkSize(); size > 0; size = ReadChunkSize()) {
    ReadBytes(size, *stream);
    ReadLn();
  }
  // Trailer lines up to the empty line, so that a kept connection stays in
  // step with the next answer.
  std::size_t trailers = 0;
  while (!ReadLn().empty()) {
    if (++trailers > Bounds.MaxHeaderCount)
      throw EHttpBoundExceeded(THttpBound::HeaderCount, "Header count bound: more than " +
                                                            std::to_string(Bounds.MaxHeaderCount) +
                                                            " trailer lines");
  }
}

std::size_t TTavHTTP::ReadChunkSize() {
  const std::string line = ReadLn();
  // The size ends at a blank or at a chunk extension (";name=value").
  const std::string text = line.substr(0, line.find_first_of(" ;"));
  if (text.empty()) return 0;
  std::size_t size = 0;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return 0;
    size = size * 16 + static_cast<std::size_t>(std::isdigit(static_cast<unsigned char>(c))
                                                     ? c - '0'
                                                     : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    CheckBodyBound(0, size);
  }
  return size;
}

void TTavHTTP::CheckForDisconnect() {
  if (!Stream->IsOpen() || InPos < InBuffer.size()) return;
  try {
    char buffer[4096];
    const long n = Stream->ReadSome(buffer, sizeof buffer, 0);
    if (n == 0) Stream->Close();
    else if (n > 0) InBuffer.append(buffer, static_cast<std::size_t>(n));
  } catch (const std::exception &) {
    Stream->Close();
  }
}

void TTavHTTP::ConnectStream() {
  InBuffer.clear();
  InPos = 0;
  if (!Stream->Connect(Host, Port, Bounds.ConnectTimeoutMs))
    throw EHttpBoundExceeded(THttpBound::Connect, "Connect time-out: no connection to " + Host + ":" +
                                                      std::to_string(Port) + " within " +
                                                      std::to_string(Bounds.ConnectTimeoutMs) + " ms");
}

bool TTavHTTP::FillBuffer() {
  if (!Stream->IsOpen()) return false;
  char buffer[16384];
  const long n = Stream->ReadSome(buffer, sizeof buffer, Bounds.ReadTimeoutMs);
  if (n == TTcpStream::TimedOut)
    throw EHttpBoundExceeded(THttpBound::Read, "Read time-out: no data within " +
                                                   std::to_string(Bounds.ReadTimeoutMs) + " ms");
  if (n == 0) {
    Stream->Close();
    return false;
  }
  InBuffer.erase(0, InPos);
  InPos = 0;
  InBuffer.append(buffer, static_cast<std::size_t>(n));
  return true;
}

std::string TTavHTTP::ReadLn() {
  std::size_t scanned = 0;
  for (;;) {
    const auto lf = InBuffer.find('\n', InPos + scanned);
    const std::size_t pending = (lf == std::string::npos ? InBuffer.size() : lf) - InPos;
    const bool cr = lf != std::string::npos && pending > 0 && InBuffer[lf - 1] == '\r';
    // Without its LF a line may still end in the CR that belongs to it.
    if (pending - (cr ? 1 : 0) > Bounds.MaxLineLength + (lf == std::string::npos ? 1 : 0))
      throw EHttpBoundExceeded(THttpBound::LineLength, "Line length bound: a line exceeds " +
                                                           std::to_string(Bounds.MaxLineLength) + " bytes");
    if (lf != std::string::npos) {
      std::string line = InBuffer.substr(InPos, pending - (cr ? 1 : 0));
      InPos = lf + 1;
      return line;
    }
    scanned = pending;
    if (!FillBuffer()) throw ETcpError(ConnectionClosedText);
  }
}

void TTavHTTP::CheckBodyBound(std::size_t held, std::size_t more) const {
  if (held > Bounds.MaxBodySize || more > Bounds.MaxBodySize - held)
    throw EHttpBoundExceeded(THttpBound::BodySize, "Body size bound: the body exceeds " +
                                                       std::to_string(Bounds.MaxBodySize) + " bytes");
}

void TTavHTTP::ReadBytes(std::size_t count, std::string &stream) {
  CheckBodyBound(stream.size(), count);
  while (count > 0) {
    if (InPos == InBuffer.size() && !FillBuffer()) throw ETcpError(ConnectionClosedText);
    const std::size_t take = std::min(count, InBuffer.size() - InPos);
    stream.append(InBuffer, InPos, take);
    InPos += take;
    count -= take;
  }
}

void TTavHTTP::ReadToEnd(std::string &stream) {
  do {
    stream.append(InBuffer, InPos, std::string::npos);
    InPos = InBuffer.size();
    CheckBodyBound(stream.size(), 0);
  } while (FillBuffer());
}

} // namespace online
