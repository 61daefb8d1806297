#pragma once
// The database layer as the stages see it: a connection that keeps its
// connection string in the form it was built with, opens on demand and runs
// text commands whose rows are read forward once. ODBC behind it in the
// program, scripted fakes in tests.
#include <memory>
#include <stdexcept>
#include <string>

#include "common/db_value.h"

namespace lmr {

// A failed open, command or row read, with the driver's message.
class DbError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DbRecordSet {
 public:
  virtual ~DbRecordSet() = default;
  virtual bool Eof() const = 0;
  // The current row's value of the named column (letter case ignored);
  // raises DbError for a column the result lacks.
  virtual DbValue Field(const std::string& name) const = 0;
  virtual void MoveNext() = 0;
};

class DbConnection {
 public:
  virtual ~DbConnection() = default;
  virtual std::string ConnectionString() const = 0;
  virtual void SetConnectionString(const std::string& text) = 0;
  virtual void SetCommandTimeout(int seconds) = 0;
  // Raises DbError when the server refuses or cannot be reached in time.
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Opens first when closed (raising when that fails); null when the
  // command gives no result set.
  virtual std::unique_ptr<DbRecordSet> Execute(const std::string& command) = 0;
};

}  // namespace lmr
