#include "database/database_access.h"

#include "database/connection_string.h"
#include "shell/step_protocol.h"

namespace lmr {
namespace {

constexpr int kCommandTimeoutSeconds = 10000;

enum class OnCommandError { Raise, ReturnFalse };

bool ListNames(DbConnection* connection, const char* command, const char* field, std::vector<std::string>& list,
               OnCommandError onError) {
  if (!connection || !connection->IsOpen()) return false;
  list.clear();
  std::unique_ptr<DbRecordSet> rows;
  if (onError == OnCommandError::Raise) {
    rows = connection->Execute(command);
  } else {
    try {
      rows = connection->Execute(command);
    } catch (const std::exception&) {
      return false;
    }
  }
  if (!rows) return false;
  for (; !rows->Eof(); rows->MoveNext()) list.push_back(DbValueText(rows->Field(field)));
  return true;
}

}  // namespace

std::string DbValueText(const DbValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  return std::string();
}

std::unique_ptr<DbConnection> BuildConnection(const DbConnectionFactory& create, const std::string& server,
                                              const std::string& database, const std::string& login,
                                              const std::string& password) {
  std::unique_ptr<DbConnection> connection = create();
  connection->SetConnectionString(BuildConnectionString({password, login, database, server}));
  connection->SetCommandTimeout(kCommandTimeoutSeconds);
  return connection;
}

bool TryConnect(DbConnection* connection) {
  if (!connection) return false;
  try {
    connection->Open();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ConnectWithPasswordPrompt(DbConnection* connection, std::string& password, PasswordPrompt& prompt) {
  if (!connection) return false;
  while (!TryConnect(connection)) {
    std::string typed = password;
    if (!prompt.Ask(typed)) return false;
    password = typed;
    ReplaceConnectionPassword(*connection, password);
  }
  return true;
}

void ReplaceConnectionPassword(DbConnection& connection, const std::string& password) {
  connection.Close();
  connection.SetConnectionString(WithPassword(connection.ConnectionString(), password));
}

bool ListDatabases(DbConnection* connection, std::vector<std::string>& list) {
  return ListNames(connection, "sp_databases", "DATABASE_NAME", list, OnCommandError::Raise);
}

bool ListFunctions(DbConnection* connection, std::vector<std::string>& list) {
  return ListNames(connection, "SELECT NAME FROM sysobjects WHERE Xtype = 'FN'", "NAME", list,
                   OnCommandError::ReturnFalse);
}

bool ListProcedures(DbConnection* connection, std::vector<std::string>& list) {
  return ListNames(connection, "SELECT NAME FROM sysobjects WHERE Xtype = 'P'", "NAME", list,
                   OnCommandError::ReturnFalse);
}

bool ListTables(DbConnection* connection, std::vector<std::string>& list) {
  return ListNames(connection, "SELECT NAME FROM sysobjects WHERE Xtype = 'U'", "NAME", list,
                   OnCommandError::ReturnFalse);
}

bool DatabaseExists(DbConnection* connection, const std::string& name) {
  if (!connection || !connection->IsOpen()) return false;
  std::vector<std::string> names;
  if (!ListDatabases(connection, names)) return false;
  for (const std::string& n : names) {
    if (SameTextIgnoringCase(n, name)) return true;
  }
  return false;
}

bool HasDatabaseAccess(DbConnection* connection, const std::string& login, const std::string& name) {
  if (!connection) return false;
  std::unique_ptr<DbRecordSet> rows;
  try {
    rows = connection->Execute("sp_MShasdbaccess");
  } catch (const std::exception&) {
    return false;
  }
  if (!rows) return false;
  for (; !rows->Eof(); rows->MoveNext()) {
    if (SameTextIgnoringCase(DbValueText(rows->Field("dbname")), name) &&
        SameTextIgnoringCase(DbValueText(rows->Field("owner")), login)) {
      return true;
    }
  }
  return false;
}

}  // namespace lmr
