// OdbcConnection through the real unixODBC and FreeTDS driver against the
// TDS stand-in: logging in, reading rows, and how each failure shows.
#include "database/odbc_connection.h"

#include <gtest/gtest.h>

#include <chrono>

#include "common/text1251.h"
#include "database/connection_string.h"
#include "tds_standin_process.h"

namespace lmr {
namespace {

using test::StandinDatabase;
using test::StandinFixture;
using test::TdsStandin;

std::unique_ptr<DbConnection> Connection(const std::string& server, const std::string& database,
                                         const std::string& login, const std::string& password) {
  auto c = CreateOdbcConnection();
  c->SetConnectionString(BuildConnectionString({password, login, database, server}));
  return c;
}

std::string OpenError(DbConnection& c) {
  try {
    c.Open();
  } catch (const DbError& e) {
    EXPECT_FALSE(c.IsOpen());
    return e.what();
  }
  return "opened";
}

// Every row's value of the field, as text.
std::vector<std::string> Column(DbConnection& c, const std::string& command, const std::string& field) {
  std::vector<std::string> values;
  auto rows = c.Execute(command);
  if (!rows) throw std::runtime_error("no rows for " + command);
  for (; !rows->Eof(); rows->MoveNext()) values.push_back(std::get<std::string>(rows->Field(field)));
  return values;
}

// Passwords with the characters that end or open a value of a connection
// string. (FreeTDS cannot take ";" and "}" together, see connection_string.h.)
const char* const kPasswords[] = {"", "plain", "a;b", ";", "x=y", "a}b", "end}", "{open", " blank ",
                                  "p;Persist Security Info=True;User ID=x", "=;=", "\xCF\xE0\xF0\xEE\xEB\xFC"};

TEST(OdbcConnection, LogsInWithAnyPasswordAndOnlyWithTheRightOne) {
  std::vector<std::pair<std::string, std::string>> logins;
  std::vector<std::string> users;
  for (std::size_t i = 0; i < std::size(kPasswords); ++i) {
    logins.push_back({"user" + std::to_string(i), Cp1251ToUtf8(kPasswords[i])});
    users.push_back("user" + std::to_string(i));
  }
  TdsStandin standin("odbc_logins", StandinFixture("", {{"Shared", "sa", {}, {}, {}, users}}, "{}", logins));
  for (std::size_t i = 0; i < std::size(kPasswords); ++i) {
    const std::string login = "user" + std::to_string(i);
    auto good = Connection(standin.Server(), "Shared", login, kPasswords[i]);
    EXPECT_EQ(OpenError(*good), "opened") << "password [" << kPasswords[i] << "]";
    EXPECT_TRUE(good->IsOpen());
    good->Close();
    EXPECT_FALSE(good->IsOpen());
    auto bad = Connection(standin.Server(), "Shared", login, std::string(kPasswords[i]) + "x");
    EXPECT_NE(OpenError(*bad).find("Login failed for user '" + login + "'."), std::string::npos)
        << "password [" << kPasswords[i] << "x]";
  }
}

TEST(OdbcConnection, RefusedOrUnreachableServerRaisesWithTheDriversMessage) {
  TdsStandin standin("odbc_refused", StandinFixture("", {{"School", "Lumaro"}}));
  auto unknownDatabase = Connection(standin.Server(), "Nowhere", "SA", "");
  EXPECT_NE(OpenError(*unknownDatabase).find("Login failed for user 'SA'."), std::string::npos);
  auto noListener = Connection(TdsStandin::Unreachable(), "Master", "SA", "");
  EXPECT_NE(OpenError(*noListener).find("Unable to connect"), std::string::npos);
  auto noHost = Connection("no-such-host.invalid", "Master", "SA", "");
  EXPECT_NE(OpenError(*noHost), "opened");
}

// A server that takes the connection and never answers the login: the login
// time-out ends the attempt.
TEST(OdbcConnection, SilentServerEndsWithinTheLoginTimeout) {
  TdsStandin standin("odbc_silent", StandinFixture("", {{"School", "Lumaro"}}, R"({"login_delay_seconds": 60})"));
  auto c = Connection(standin.Server(), "Master", "SA", "");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NE(OpenError(*c), "opened");
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  EXPECT_LE(seconds.count(), kLoginTimeoutSeconds + 5);
}

TEST(OdbcConnection, ReadsRowsWithTheirTypesAndNamesInAnyCase) {
  const std::string cyrillic = "\xD8\xEA\xEE\xEB\xE0 \xB9 5";  // Школа № 5
  const std::string special = "a<b>&'\"c";
  TdsStandin standin("odbc_rows", StandinFixture("", {{Cp1251ToUtf8(cyrillic), "Lumaro", {"F1"}},
                                                       {special, "Lumaro"},
                                                       {"Last", "sa", {}, {}, {"T1", "T2"}}}));
  auto c = Connection(standin.Server(), "Master", "SA", "");
  // Execute opens a closed connection first.
  ASSERT_FALSE(c->IsOpen());
  auto rows = c->Execute("sp_databases");
  ASSERT_TRUE(rows);
  EXPECT_TRUE(c->IsOpen());
  std::vector<std::string> names;
  for (; !rows->Eof(); rows->MoveNext()) {
    names.push_back(std::get<std::string>(rows->Field("database_name")));
    EXPECT_EQ(std::get<std::int64_t>(rows->Field("DATABASE_SIZE")), 2048);
    EXPECT_TRUE(std::holds_alternative<DbNull>(rows->Field("Remarks")));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"master", cyrillic, special, "Last"}));
  EXPECT_THROW(rows->Field("DATABASE_NAME"), DbError);  // past the end
  rows.reset();

  auto more = c->Execute("sp_databases");
  EXPECT_THROW(more->Field("NAME"), DbError);
  more.reset();
  EXPECT_EQ(Column(*c, "sp_MShasdbaccess", "dbname"), names);
  EXPECT_EQ(Column(*c, "sp_MShasdbaccess", "owner"), (std::vector<std::string>{"sa", "Lumaro", "Lumaro", "sa"}));

  auto inLast = Connection(standin.Server(), "Last", "SA", "");
  EXPECT_EQ(Column(*inLast, "SELECT NAME FROM sysobjects WHERE Xtype = 'U'", "NAME"),
            (std::vector<std::string>{"T1", "T2"}));
  EXPECT_EQ(Column(*inLast, "SELECT NAME FROM sysobjects WHERE Xtype = 'FN'", "NAME"), std::vector<std::string>{});
}

TEST(OdbcConnection, FailedCommandRaisesTheServersMessageAndTheConnectionGoesOn) {
  TdsStandin standin("odbc_command", StandinFixture("", {{"School", "Lumaro"}}));
  auto c = Connection(standin.Server(), "Master", "SA", "");
  try {
    c->Execute("sp_no_such_procedure");
    ADD_FAILURE() << "no error";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("sp_no_such_procedure"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Column(*c, "sp_databases", "DATABASE_NAME"), (std::vector<std::string>{"master", "School"}));
}

// A connection lost in the middle of a result, or a token the driver cannot
// read: reading raises DbError, whichever call meets it.
TEST(OdbcConnection, BrokenResultRaises) {
  const char* const faults[] = {R"({"drop_after_rows": {"query": "sp_databases", "rows": 1}})",
                                R"({"malformed_token": {"query": "sp_databases"}})"};
  for (const char* fault : faults) {
    TdsStandin standin("odbc_broken", StandinFixture("", {{"School", "Lumaro"}, {"Other", "Lumaro"}}, fault));
    auto c = Connection(standin.Server(), "Master", "SA", "");
    std::string error;
    std::size_t rowsRead = 0;
    try {
      auto rows = c->Execute("sp_databases");
      for (; rows && !rows->Eof(); rows->MoveNext()) ++rowsRead;
    } catch (const DbError& e) {
      error = e.what();
    }
    EXPECT_NE(error, "") << fault;
    EXPECT_LE(rowsRead, 1u) << fault;
  }
}

}  // namespace
}  // namespace lmr
