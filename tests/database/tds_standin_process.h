#pragma once
// Runs the TDS stand-in (tools/tds_standin) for a test: writes its fixture,
// starts it on 127.0.0.1 with a bounded lifetime, points unixODBC's driver
// name "SQL Server" at FreeTDS, and stops it by its PID.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

extern char** environ;

namespace lmr::test {

// Database objects of one kind, for a fixture.
struct StandinDatabase {
  std::string name;  // UTF-8
  std::string owner;
  std::vector<std::string> functions, procedures, tables;
  std::vector<std::string> users;  // further logins with access
};

inline std::string JsonText(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

inline std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + JsonText(items[i]);
  return out + "]";
}

// A fixture: SA with its password, the product's login and any further
// logins, the databases besides master, and the fault switches as a JSON
// object text ("{}" for none).
inline std::string StandinFixture(const std::string& saPassword, const std::vector<StandinDatabase>& databases,
                                  const std::string& faults = "{}",
                                  const std::vector<std::pair<std::string, std::string>>& moreLogins = {}) {
  std::string s = "{\"logins\": {\"sa\": " + JsonText(saPassword) + ", \"Lumaro\": \"Brevanto\"";
  for (const auto& [login, password] : moreLogins) s += ", " + JsonText(login) + ": " + JsonText(password);
  s += "}, \"databases\": [";
  s += "{\"name\": \"master\", \"owner\": \"sa\"}";
  for (const StandinDatabase& d : databases) {
    s += ", {\"name\": " + JsonText(d.name) + ", \"owner\": " + JsonText(d.owner) + ", \"users\": " + JsonList(d.users) + ", \"objects\": {\"FN\": " +
         JsonList(d.functions) + ", \"P\": " + JsonList(d.procedures) + ", \"U\": " + JsonList(d.tables) + "}}";
  }
  return s + "], \"faults\": " + faults + "}";
}

// A loopback port nothing listens on.
inline int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

class TdsStandin {
 public:
  // Files go to `dir`, made fresh.
  TdsStandin(const std::string& dir, const std::string& fixture)
      : dir_(std::filesystem::absolute(dir).string()) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    WriteAll(dir_ + "/fixture.json", fixture);
    const std::string portFile = dir_ + "/port";
    std::vector<std::string> args = {"/usr/bin/python3", LMR_TDS_STANDIN, "--fixture", dir_ + "/fixture.json",
                                     "--port", "0", "--port-file", portFile, "--lifetime", "120",
                                     "--log", dir_ + "/standin.log"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      throw std::runtime_error("cannot start the TDS stand-in");
    }
    for (int i = 0; i < 100 && port_ == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const std::string text = ReadAll(portFile);
      if (!text.empty() && text.back() == '\n') port_ = std::stoi(text);
    }
    if (port_ == 0) {
      Stop();
      throw std::runtime_error("the TDS stand-in did not listen within 10 s; see " + dir_ + "/standin.log");
    }
    WriteAll(dir_ + "/odbcinst.ini", "[SQL Server]\nDriver = " LMR_TDSODBC "\nUsageCount = 1\n");
    WriteAll(dir_ + "/odbc.ini", "");
    WriteAll(dir_ + "/freetds.conf", "[global]\n\ttds version = 7.1\n\tclient charset = UTF-8\n");
    setenv("ODBCSYSINI", dir_.c_str(), 1);
    setenv("FREETDSCONF", (dir_ + "/freetds.conf").c_str(), 1);
  }
  ~TdsStandin() { Stop(); }
  TdsStandin(const TdsStandin&) = delete;
  TdsStandin& operator=(const TdsStandin&) = delete;

  // The server name that reaches the stand-in (FreeTDS takes a server name
  // as host[,port]), and one where nothing listens.
  std::string Server() const { return "127.0.0.1," + std::to_string(port_); }
  static std::string Unreachable() { return "127.0.0.1," + std::to_string(ClosedPort()); }
  std::string Log() const { return ReadAll(dir_ + "/standin.log"); }

 private:
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  std::string dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace lmr::test
