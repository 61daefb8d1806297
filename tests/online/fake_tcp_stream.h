#pragma once
// An in-memory TCP stream: each connect takes the next scripted answer and
// records the bytes written to it. Bytes are handed out a few at a time so
// the reader's buffering is exercised; when the script is used up the peer
// either closes or stalls (a read then reports its time-out at once).

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "online/http_errors.h"
#include "online/tcp_stream.h"

struct TFakeConnection {
  std::string Answer;
  bool CloseAtEnd = false;
};

struct TFakeState {
  std::deque<TFakeConnection> Scripts;
  std::vector<std::string> Endpoints; // "host:port" per connect
  std::vector<std::string> Written;   // bytes per connection
  bool ConnectTimesOut = false;
  bool WriteStalls = false;
  std::size_t Piece = 7;
  std::function<void()> OnConnect;
};

class TFakeTcpStream : public online::TTcpStream {
public:
  explicit TFakeTcpStream(std::shared_ptr<TFakeState> state) : State(std::move(state)) {}

  bool Connect(const std::string &host, int port, int) override {
    if (State->OnConnect) State->OnConnect();
    if (State->ConnectTimesOut) return false;
    if (State->Scripts.empty()) throw online::ETcpError("Connection refused");
    State->Endpoints.push_back(host + ":" + std::to_string(port));
    State->Written.emplace_back();
    Current = State->Scripts.front();
    State->Scripts.pop_front();
    Pos = 0;
    Open = true;
    return true;
  }

  bool IsOpen() const override { return Open; }

  long ReadSome(char *buffer, std::size_t size, int) override {
    if (!Open) throw online::ETcpError("Not connected");
    if (Pos == Current.Answer.size()) return Current.CloseAtEnd ? 0 : TimedOut;
    const std::size_t n = std::min({size, State->Piece, Current.Answer.size() - Pos});
    std::memcpy(buffer, Current.Answer.data() + Pos, n);
    Pos += n;
    return static_cast<long>(n);
  }

  bool WriteAll(const std::string &bytes, int) override {
    if (!Open) throw online::ETcpError("Not connected");
    if (State->WriteStalls) return false;
    State->Written.back() += bytes;
    return true;
  }

  void Close() override { Open = false; }

private:
  std::shared_ptr<TFakeState> State;
  TFakeConnection Current;
  std::size_t Pos = 0;
  bool Open = false;
};
