#pragma once
// DbConnection over the ODBC API, the same code for unixODBC and Windows'
// odbc32; only the W entry points are used (Wine lacks the A ones). The
// connection string keeps the wizard's own form and becomes the driver's
// string when the connection opens.
#include <memory>
#include <string>

#include "database/db_connection.h"

namespace lmr {

// Login and connection time-out, so an unreachable server gives an error
// instead of a hang.
inline constexpr int kLoginTimeoutSeconds = 15;

class OdbcConnection : public DbConnection {
 public:
  OdbcConnection();
  ~OdbcConnection() override;
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  std::string ConnectionString() const override { return connectionString_; }
  void SetConnectionString(const std::string& text) override { connectionString_ = text; }
  void SetCommandTimeout(int seconds) override { commandTimeout_ = seconds; }
  // Does nothing when already open.
  void Open() override;
  void Close() override;
  bool IsOpen() const override { return connection_ != nullptr; }
  // Rows of the first result that has columns. A record set must be released
  // before its connection.
  std::unique_ptr<DbRecordSet> Execute(const std::string& command) override;

 private:
  void* environment_ = nullptr;
  void* connection_ = nullptr;
  std::string connectionString_;
  int commandTimeout_ = 30;
};

std::unique_ptr<DbConnection> CreateOdbcConnection();

}  // namespace lmr
