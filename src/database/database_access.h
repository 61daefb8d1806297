#pragma once
// The database functions the stages use: building and opening connections
// (asking for the SA password while the server refuses), and the fixed
// queries turned into lists of names or yes-or-no answers.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/db_connection.h"

namespace lmr {

using DbConnectionFactory = std::function<std::unique_ptr<DbConnection>()>;

// The SA password prompt: true with the confirmed text in `password`, false
// on Cancel.
class PasswordPrompt {
 public:
  virtual ~PasswordPrompt() = default;
  virtual bool Ask(std::string& password) = 0;
};

// An unopened connection from the factory with the connection string of
// these values and a command time-out of 10000 seconds. No server contact.
std::unique_ptr<DbConnection> BuildConnection(const DbConnectionFactory& create, const std::string& server,
                                              const std::string& database, const std::string& login,
                                              const std::string& password);

// Opens; false for an absent connection or when opening raises.
bool TryConnect(DbConnection* connection);

// Opens, asking for the password after each failure until it opens (true) or
// the prompt is cancelled (false). `password` holds the last confirmed text.
bool ConnectWithPasswordPrompt(DbConnection* connection, std::string& password, PasswordPrompt& prompt);

// Closes the connection and puts `password` in place of the old one.
void ReplaceConnectionPassword(DbConnection& connection, const std::string& password);

// One name per row, in row order. False with `list` untouched when the
// connection is absent or not open; otherwise `list` is emptied first.
// ListDatabases lets a failed command raise; the others return false.
bool ListDatabases(DbConnection* connection, std::vector<std::string>& list);
bool ListFunctions(DbConnection* connection, std::vector<std::string>& list);
bool ListProcedures(DbConnection* connection, std::vector<std::string>& list);
bool ListTables(DbConnection* connection, std::vector<std::string>& list);

// The server lists a database of that name, letter case ignored. A failed
// "sp_databases" raises.
bool DatabaseExists(DbConnection* connection, const std::string& name);

// "sp_MShasdbaccess" lists the database with that owner, letter case
// ignored; a closed connection is opened by the command, and any failure of
// the command gives false.
bool HasDatabaseAccess(DbConnection* connection, const std::string& login, const std::string& name);

// A field's value as text: numbers in decimal, null as empty.
std::string DbValueText(const DbValue& value);

}  // namespace lmr
