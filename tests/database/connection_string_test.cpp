// The connection string as the wizard keeps it, read back, with its password
// replaced, and as the ODBC driver receives it.
#include "database/connection_string.h"

#include <gtest/gtest.h>

#include "database/db_connection.h"

namespace lmr {
namespace {

TEST(ConnectionString, BuiltInItsFixedForm) {
  EXPECT_EQ(BuildConnectionString({"", "SA", "Master", "MYPC"}),
            "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=SA;Initial Catalog=Master;"
            "Data Source=MYPC");
}

TEST(ConnectionString, ReadsBackWhateverWasBuilt) {
  const ConnectionSettings cases[] = {
      {"", "SA", "Master", "MYPC"},
      {"Brevanto", "Lumaro", "School_Main", "127.0.0.1,1433"},
      {"a;b", "SA", "Master", "MYPC"},
      {";", "SA", "Master", "MYPC"},
      {"p;Persist Security Info=True;User ID=x;Initial Catalog=y", "SA", "Master", "MYPC"},
      {"}{=;=", "SA", "Master", "MYPC"},
      {"\xCF\xE0\xF0\xEE\xEB\xFC", "Lumaro", "\xD8\xEA\xEE\xEB\xE0 & <1>", "SRV\\INST"},
      {" blank ", "Lumaro", "with blank", "MYPC"},
  };
  for (const ConnectionSettings& c : cases) {
    const ConnectionSettings back = ParseConnectionString(BuildConnectionString(c));
    EXPECT_EQ(back.password, c.password);
    EXPECT_EQ(back.login, c.login) << c.password;
    EXPECT_EQ(back.database, c.database) << c.password;
    EXPECT_EQ(back.server, c.server) << c.password;
  }
  EXPECT_THROW(ParseConnectionString("Provider=SQLOLEDB.1;User ID=SA"), DbError);
}

TEST(ConnectionString, PasswordReplaced) {
  const std::string tail = ";Persist Security Info=True;User ID=SA;Initial Catalog=Master;Data Source=MYPC";
  const std::string head = "Provider=SQLOLEDB.1;Password=";
  struct Case {
    std::string before, password, after;
  };
  const Case cases[] = {
      {head + tail, "secret", head + "secret" + tail},
      {head + "old" + tail, "", head + tail},
      {head + tail, "a;b", head + "a;b" + tail},
      // A password holding ";" is replaced whole, so the next one logs in.
      {head + "a;b" + tail, "c", head + "c" + tail},
      {head + "x;Persist Security Info=True;User ID=y" + tail, "z", head + "z" + tail},
      // Not the fixed form: the password ends at its ";".
      {"Password=old;Data Source=X", "new", "Password=new;Data Source=X"},
      {"Password=old", "new", "Password=new"},
      {"Data Source=X", "new", "Data Source=X"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithPassword(c.before, c.password), c.after) << c.before;
}

TEST(ConnectionString, DriverStringQuotesOnlyWhatNeedsIt) {
  struct Case {
    ConnectionSettings settings;
    std::string expected;
  };
  const Case cases[] = {
      {{"", "SA", "Master", "MYPC"}, "DRIVER={SQL Server};SERVER=MYPC;UID=SA;PWD=;DATABASE=Master"},
      {{"x=y}", "Lumaro", "School Main", "127.0.0.1,1433"},
       "DRIVER={SQL Server};SERVER=127.0.0.1,1433;UID=Lumaro;PWD=x=y};DATABASE=School Main"},
      {{"a;b", "SA", "Master", "MYPC"}, "DRIVER={SQL Server};SERVER=MYPC;UID=SA;PWD={a;b};DATABASE=Master"},
      {{"a;}b", "SA", "Master", "MYPC"}, "DRIVER={SQL Server};SERVER=MYPC;UID=SA;PWD={a;}}b};DATABASE=Master"},
      {{"{p", "SA", " lead", "MYPC"}, "DRIVER={SQL Server};SERVER=MYPC;UID=SA;PWD={{p};DATABASE={ lead}"},
      {{"trail\t", "SA", "Master", "MYPC"}, "DRIVER={SQL Server};SERVER=MYPC;UID=SA;PWD={trail\t};DATABASE=Master"},
  };
  for (const Case& c : cases) EXPECT_EQ(OdbcConnectionString(c.settings), c.expected);
}

}  // namespace
}  // namespace lmr
