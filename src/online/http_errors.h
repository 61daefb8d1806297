#pragma once
// Errors of the HTTP transport. Every one is a std::runtime_error whose
// message is what the online client shows after "ES: ".

#include <stdexcept>
#include <string>

namespace online {

class ETavHttpError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The TCP layer: name resolution, connect, read, write, peer closed mid-read.
class ETcpError : public ETavHttpError {
public:
  using ETavHttpError::ETavHttpError;
};

// A status line whose code is not a number.
class EConvertError : public ETavHttpError {
public:
  using ETavHttpError::ETavHttpError;
};

// A final answer outside class 2, or a refused redirect; the message is the
// status line without its protocol word ("404 Not Found").
class EHttpProtocolError : public ETavHttpError {
public:
  EHttpProtocolError(int code, const std::string &text)
      : ETavHttpError(text), ErrorCode(code) {}
  int ErrorCode;
};

enum class THttpBound { Connect, Read, Write, LineLength, HeaderCount, BodySize };

// One of the limits in THttpBounds was reached; the message names it.
class EHttpBoundExceeded : public ETavHttpError {
public:
  EHttpBoundExceeded(THttpBound bound, const std::string &message)
      : ETavHttpError(message), Bound(bound) {}
  THttpBound Bound;
};

} // namespace online
