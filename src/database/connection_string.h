#pragma once
// The connection string in the form the wizard keeps it, and the ODBC
// driver's own string it becomes when a connection opens.
#include <string>

namespace lmr {

struct ConnectionSettings {
  std::string password;
  std::string login;
  std::string database;
  std::string server;
};

// "Provider=SQLOLEDB.1;Password=...;Persist Security Info=True;User ID=...;
// Initial Catalog=...;Data Source=...", the values inserted as they are.
std::string BuildConnectionString(const ConnectionSettings& settings);

// Reads the values back. The password runs from the first "Password=" to the
// last ";Persist Security Info=True;User ID=", so a typed password holding ";"
// (or that whole text) comes back whole; a string without that piece ends the
// password at its next ";". Raises DbError for a string without "Password=".
ConnectionSettings ParseConnectionString(const std::string& text);

// The same string with the password between "Password=" and its end (as
// above) replaced; a string without "Password=" comes back unchanged.
std::string WithPassword(const std::string& text, const std::string& password);

// DRIVER={SQL Server};SERVER=..;UID=..;PWD=..;DATABASE=.. A value that holds
// ";", starts with "{" or has blanks at its ends is braced with "}" doubled
// (the ODBC rule, which Microsoft's driver follows); any other value goes
// bare, which every driver reads alike. (FreeTDS ends a braced value at "};"
// and keeps "}}" doubled, so there a password with both ";" and "}" fails.)
std::string OdbcConnectionString(const ConnectionSettings& settings);

}  // namespace lmr
