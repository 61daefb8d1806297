#include "database/odbc_connection.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "common/text1251.h"
#include "database/connection_string.h"
#include "shell/step_protocol.h"

namespace lmr {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the W entry points take UTF-16");

SQLWCHAR* Sql(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(&text[0]); }

std::string Text1251(const SQLWCHAR* text, std::size_t length) {
  return Utf16To1251(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

// The driver's messages for the handle, or `fallback` when it left none.
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle, const std::string& fallback) {
  std::string text;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {0};
    SQLINTEGER native = 0;
    SQLWCHAR message[1024] = {0};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, message, 1024, &length))) break;
    if (!text.empty()) text += ' ';
    text += Text1251(message, static_cast<std::size_t>(std::clamp<SQLSMALLINT>(length, 0, 1023)));
  }
  return text.empty() ? fallback : text;
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& what) {
  if (!SQL_SUCCEEDED(rc)) throw DbError(Diagnostics(type, handle, what));
}

// A statement handle released on every path.
class Statement {
 public:
  explicit Statement(SQLHDBC connection) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle_))) {
      throw DbError(Diagnostics(SQL_HANDLE_DBC, connection, "Cannot allocate an ODBC statement"));
    }
  }
  ~Statement() {
    if (handle_) SQLFreeHandle(SQL_HANDLE_STMT, handle_);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  SQLHSTMT Get() const { return handle_; }
  SQLHSTMT Release() { return std::exchange(handle_, nullptr); }

 private:
  SQLHSTMT handle_ = nullptr;
};

bool IsInteger(SQLSMALLINT type) {
  return type == SQL_INTEGER || type == SQL_SMALLINT || type == SQL_TINYINT || type == SQL_BIGINT ||
         type == SQL_BIT;
}

class OdbcRecordSet : public DbRecordSet {
 public:
  OdbcRecordSet(SQLHSTMT statement, SQLSMALLINT columns) : statement_(statement) {
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
      SQLWCHAR name[256] = {0};
      SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      Check(SQLDescribeColW(statement_, c, name, 256, &length, &type, &size, &digits, &nullable), SQL_HANDLE_STMT,
            statement_, "Cannot describe the result's columns");
      names_.push_back(Text1251(name, static_cast<std::size_t>(std::clamp<SQLSMALLINT>(length, 0, 255))));
      integer_.push_back(IsInteger(type));
    }
    Fetch();
  }
  ~OdbcRecordSet() override { SQLFreeHandle(SQL_HANDLE_STMT, statement_); }

  bool Eof() const override { return eof_; }
  DbValue Field(const std::string& name) const override {
    if (eof_) throw DbError("No current row to read the field " + name + " from");
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (SameTextIgnoringCase(names_[i], name)) return row_[i];
    }
    throw DbError("The result has no field " + name);
  }
  void MoveNext() override {
    if (!eof_) Fetch();
  }

 private:
  // Reads the whole row at once, since drivers let each column be read only
  // once and in order, while callers ask for fields in any order.
  void Fetch() {
    const SQLRETURN rc = SQLFetch(statement_);
    if (rc == SQL_NO_DATA) {
      eof_ = true;
      return;
    }
    Check(rc, SQL_HANDLE_STMT, statement_, "Cannot read the next row");
    row_.clear();
    for (SQLUSMALLINT c = 1; c <= names_.size(); ++c) row_.push_back(integer_[c - 1] ? Integer(c) : Text(c));
  }

  DbValue Integer(SQLUSMALLINT column) {
    SQLBIGINT value = 0;
    SQLLEN indicator = 0;
    Check(SQLGetData(statement_, column, SQL_C_SBIGINT, &value, sizeof value, &indicator), SQL_HANDLE_STMT,
          statement_, "Cannot read a field");
    if (indicator == SQL_NULL_DATA) return DbNull{};
    return static_cast<std::int64_t>(value);
  }

  DbValue Text(SQLUSMALLINT column) {
    std::u16string text;
    SQLWCHAR piece[2048];
    const SQLLEN room = sizeof piece - sizeof(SQLWCHAR);  // the driver ends each piece with a zero
    for (;;) {
      SQLLEN indicator = 0;
      const SQLRETURN rc = SQLGetData(statement_, column, SQL_C_WCHAR, piece, sizeof piece, &indicator);
      if (rc == SQL_NO_DATA) break;
      Check(rc, SQL_HANDLE_STMT, statement_, "Cannot read a field");
      if (indicator == SQL_NULL_DATA) return DbNull{};
      const SQLLEN bytes = indicator == SQL_NO_TOTAL || indicator > room ? room : indicator;
      text.append(reinterpret_cast<const char16_t*>(piece), static_cast<std::size_t>(bytes) / sizeof(SQLWCHAR));
      if (rc == SQL_SUCCESS) break;
    }
    return Utf16To1251(text);
  }

  SQLHSTMT statement_;
  std::vector<std::string> names_;
  std::vector<bool> integer_;
  std::vector<DbValue> row_;
  bool eof_ = false;
};

}  // namespace

OdbcConnection::OdbcConnection() = default;

OdbcConnection::~OdbcConnection() {
  Close();
  if (environment_) SQLFreeHandle(SQL_HANDLE_ENV, environment_);
}

void OdbcConnection::Open() {
  if (connection_) return;
  const std::string driverString = OdbcConnectionString(ParseConnectionString(connectionString_));
  if (!environment_) {
    SQLHENV env = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
      throw DbError("The ODBC driver manager cannot be used");
    }
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    environment_ = env;
  }
  SQLHDBC dbc = nullptr;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment_, &dbc))) {
    throw DbError(Diagnostics(SQL_HANDLE_ENV, environment_, "Cannot allocate an ODBC connection"));
  }
  const auto bound = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(kLoginTimeoutSeconds));
  SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT, bound, 0);
  SQLSetConnectAttrW(dbc, SQL_ATTR_CONNECTION_TIMEOUT, bound, 0);
  std::u16string text = Cp1251ToUtf16(driverString);
  SQLSMALLINT outLength = 0;
  const SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, Sql(text), SQL_NTS, nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    const std::string message = Diagnostics(SQL_HANDLE_DBC, dbc, "Cannot connect to the database server");
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    throw DbError(message);
  }
  connection_ = dbc;
}

void OdbcConnection::Close() {
  if (!connection_) return;
  SQLDisconnect(connection_);
  SQLFreeHandle(SQL_HANDLE_DBC, connection_);
  connection_ = nullptr;
}

std::unique_ptr<DbRecordSet> OdbcConnection::Execute(const std::string& command) {
  Open();
  Statement statement(connection_);
  SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
                  reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(commandTimeout_)), 0);
  std::u16string text = Cp1251ToUtf16(command);
  SQLRETURN rc = SQLExecDirectW(statement.Get(), Sql(text), SQL_NTS);
  if (rc != SQL_NO_DATA) Check(rc, SQL_HANDLE_STMT, statement.Get(), "The command failed: " + command);
  SQLSMALLINT columns = 0;
  for (;;) {
    Check(SQLNumResultCols(statement.Get(), &columns), SQL_HANDLE_STMT, statement.Get(),
          "The command's result cannot be read: " + command);
    if (columns > 0) break;
    rc = SQLMoreResults(statement.Get());
    if (rc == SQL_NO_DATA) return nullptr;
    Check(rc, SQL_HANDLE_STMT, statement.Get(), "The command failed: " + command);
  }
  auto rows = std::make_unique<OdbcRecordSet>(statement.Get(), columns);
  statement.Release();
  return rows;
}

std::unique_ptr<DbConnection> CreateOdbcConnection() { return std::make_unique<OdbcConnection>(); }

}  // namespace lmr
