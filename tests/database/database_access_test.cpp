// The database functions through OdbcConnection against the TDS stand-in:
// the password loop, each query, and each row of their failure table. A
// small fake stands in only where the stand-in cannot answer so.
#include "database/database_access.h"

#include <gtest/gtest.h>

#include <map>

#include "common/text1251.h"
#include "database/connection_string.h"
#include "database/odbc_connection.h"
#include "scripted_prompt.h"
#include "tds_standin_process.h"

namespace lmr {
namespace {

using test::ScriptedPrompt;
using test::StandinFixture;
using test::TdsStandin;

const std::string kCyrillicFunction = "\xD0\xE0\xF1\xF7\xB8\xF2";  // Расчёт
const std::string kCyrillicDatabase = "\xD8\xEA\xEE\xEB\xE0";      // Школа

std::string StandardFixture(const std::string& saPassword, const std::string& faults = "{}") {
  return StandinFixture(saPassword,
                        {{"School", "Lumaro", {"CalcA", Cp1251ToUtf8(kCyrillicFunction)}, {"sp_a"}, {"T1", "T2"}},
                         {Cp1251ToUtf8(kCyrillicDatabase), "Lumaro"},
                         {"Other", "sa"}},
                        faults);
}

std::unique_ptr<DbConnection> Build(const TdsStandin& s, const std::string& database, const std::string& login,
                                    const std::string& password) {
  return BuildConnection(&CreateOdbcConnection, s.Server(), database, login, password);
}

TEST(ConnectWithPasswordPrompt, AsksAfterEachRefusalUntilOpenOrCancel) {
  using Answers = std::vector<std::optional<std::string>>;
  struct Case {
    const char* what;
    std::string saPassword;  // on the server
    Answers answers;
    bool opened;
    std::vector<std::string> shown;
    std::string password;  // the variable afterwards
  };
  const Case cases[] = {
      {"empty password accepted", "", {}, true, {}, ""},
      {"wrong, then right", "secret", {"wrong", "secret"}, true, {"", "wrong"}, "secret"},
      {"cancel at once", "secret", {std::nullopt}, false, {""}, ""},
      {"wrong, then cancel", "secret", {"wrong", std::nullopt}, false, {"", "wrong"}, "wrong"},
      // A refused password holding ";" does not spoil the next attempt.
      {"wrong with a semicolon, then right", "right", {"a;b", "right"}, true, {"", "a;b"}, "right"},
      {"right with a semicolon", "x;y", {"x;y"}, true, {""}, "x;y"},
  };
  for (const Case& c : cases) {
    TdsStandin standin("prompt_loop", StandardFixture(c.saPassword));
    auto connection = Build(standin, "Master", "SA", "");
    ScriptedPrompt prompt(c.answers);
    std::string password;
    EXPECT_EQ(ConnectWithPasswordPrompt(connection.get(), password, prompt), c.opened) << c.what;
    EXPECT_EQ(connection->IsOpen(), c.opened) << c.what;
    EXPECT_EQ(prompt.shown, c.shown) << c.what;
    EXPECT_EQ(password, c.password) << c.what;
    EXPECT_EQ(ParseConnectionString(connection->ConnectionString()).password, c.password) << c.what;
  }
  ScriptedPrompt never({});
  std::string password = "kept";
  EXPECT_FALSE(ConnectWithPasswordPrompt(nullptr, password, never));
  EXPECT_EQ(password, "kept");
}

TEST(BuildConnection, UnopenedWithTheFixedStringAndTimeout) {
  struct Recorder : DbConnection {
    std::string ConnectionString() const override { return text; }
    void SetConnectionString(const std::string& t) override { text = t; }
    void SetCommandTimeout(int s) override { timeout = s; }
    void Open() override { throw std::logic_error("opened"); }
    void Close() override {}
    bool IsOpen() const override { return false; }
    std::unique_ptr<DbRecordSet> Execute(const std::string&) override { throw std::logic_error("executed"); }
    std::string text;
    int timeout = 0;
  };
  auto c = BuildConnection([] { return std::make_unique<Recorder>(); }, "MYPC", "Master", "SA", "");
  EXPECT_EQ(c->ConnectionString(),
            "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=SA;Initial Catalog=Master;"
            "Data Source=MYPC");
  EXPECT_EQ(static_cast<Recorder&>(*c).timeout, 10000);
}

TEST(TryConnect, TrueOnlyWhenItOpens) {
  TdsStandin standin("try_connect", StandardFixture(""));
  EXPECT_FALSE(TryConnect(nullptr));
  auto good = Build(standin, "School", "Lumaro", "Brevanto");
  EXPECT_TRUE(TryConnect(good.get()));
  EXPECT_TRUE(good->IsOpen());
  std::unique_ptr<DbConnection> refused[] = {
      Build(standin, "School", "Lumaro", "wrong"),  // wrong password
      Build(standin, "Other", "Lumaro", "Brevanto"),  // a database the login may not use
      BuildConnection(&CreateOdbcConnection, TdsStandin::Unreachable(), "School", "Lumaro", "Brevanto")};
  for (const auto& c : refused) {
    EXPECT_FALSE(TryConnect(c.get())) << c->ConnectionString();
    EXPECT_FALSE(c->IsOpen());
  }
}

using ListFunction = bool (*)(DbConnection*, std::vector<std::string>&);

TEST(ListQueries, NamesInRowOrder) {
  TdsStandin standin("lists", StandardFixture(""));
  auto product = Build(standin, "School", "Lumaro", "Brevanto");
  auto master = Build(standin, "Master", "SA", "");
  ASSERT_TRUE(TryConnect(product.get()));
  ASSERT_TRUE(TryConnect(master.get()));
  struct Case {
    ListFunction list;
    DbConnection* connection;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {&ListDatabases, master.get(), {"master", "School", kCyrillicDatabase, "Other"}},
      {&ListFunctions, product.get(), {"CalcA", kCyrillicFunction}},
      {&ListProcedures, product.get(), {"sp_a"}},
      {&ListTables, product.get(), {"T1", "T2"}},
      {&ListFunctions, master.get(), {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> list = {"left from before"};
    EXPECT_TRUE(c.list(c.connection, list));
    EXPECT_EQ(list, c.names);
  }
}

TEST(ListQueries, AbsentOrClosedConnectionLeavesTheListAlone) {
  TdsStandin standin("lists_closed", StandardFixture(""));
  auto closed = Build(standin, "School", "Lumaro", "Brevanto");
  for (ListFunction list : {&ListDatabases, &ListFunctions, &ListProcedures, &ListTables}) {
    for (DbConnection* c : {static_cast<DbConnection*>(nullptr), closed.get()}) {
      std::vector<std::string> names = {"kept"};
      EXPECT_FALSE(list(c, names));
      EXPECT_EQ(names, std::vector<std::string>{"kept"});
    }
  }
  EXPECT_FALSE(closed->IsOpen());
}

// A failed command: the object lists swallow it and come back empty, the
// database list lets it through. An error while the rows are read passes
// through all of them.
TEST(ListQueries, FailedCommandAndBrokenRows) {
  struct Case {
    const char* fault;
    ListFunction list;
    const char* database;
    const char* login;
    const char* password;
    bool raises;
  };
  const Case cases[] = {
      {R"({"malformed_token": {"query": "sysobjects:FN"}})", &ListFunctions, "School", "Lumaro", "Brevanto", false},
      {R"({"drop_after_rows": {"query": "sysobjects:P", "rows": 0}})", &ListProcedures, "School", "Lumaro", "Brevanto", false},
      {R"({"malformed_token": {"query": "sysobjects:U"}})", &ListTables, "School", "Lumaro", "Brevanto", false},
      {R"({"malformed_token": {"query": "sp_databases"}})", &ListDatabases, "Master", "SA", "", true},
      {R"({"drop_after_rows": {"query": "sysobjects:FN", "rows": 1}})", &ListFunctions, "School", "Lumaro", "Brevanto", true},
  };
  for (const Case& c : cases) {
    TdsStandin standin("lists_failing", StandardFixture("", c.fault));
    auto connection = Build(standin, c.database, c.login, c.password);
    ASSERT_TRUE(TryConnect(connection.get()));
    std::vector<std::string> names = {"left from before"};
    if (c.raises) {
      EXPECT_THROW(c.list(connection.get(), names), DbError) << c.fault;
    } else {
      EXPECT_FALSE(c.list(connection.get(), names)) << c.fault;
      EXPECT_EQ(names, std::vector<std::string>{}) << c.fault;
    }
  }
}

TEST(DatabaseExists, ByNameWithoutRegardToCase) {
  TdsStandin standin("exists", StandardFixture(""));
  auto master = Build(standin, "Master", "SA", "");
  EXPECT_FALSE(DatabaseExists(master.get(), "School"));  // not open yet
  EXPECT_FALSE(DatabaseExists(nullptr, "School"));
  ASSERT_TRUE(TryConnect(master.get()));
  const std::pair<std::string, bool> cases[] = {
      {"School", true}, {"SCHOOL", true}, {"\xF8\xCA\xCE\xCB\xC0", true} /* шКОЛА */, {"Other", true},
      {"", false},      {"Schoo", false}, {"School ", false},
  };
  for (const auto& [name, exists] : cases) EXPECT_EQ(DatabaseExists(master.get(), name), exists) << name;
}

TEST(DatabaseExists, FailedDatabaseListRaises) {
  TdsStandin standin("exists_failing", StandardFixture("", R"({"drop_after_rows": {"query": "sp_databases", "rows": 0}})"));
  auto master = Build(standin, "Master", "SA", "");
  ASSERT_TRUE(TryConnect(master.get()));
  EXPECT_THROW(DatabaseExists(master.get(), "School"), DbError);
}

TEST(HasDatabaseAccess, DatabaseWithThatOwner) {
  TdsStandin standin("access", StandardFixture(""));
  auto master = Build(standin, "Master", "SA", "");
  EXPECT_FALSE(HasDatabaseAccess(nullptr, "Lumaro", "School"));
  // A closed connection is opened by the command.
  EXPECT_TRUE(HasDatabaseAccess(master.get(), "Lumaro", "School"));
  EXPECT_TRUE(master->IsOpen());
  struct Case {
    std::string login, name;
    bool access;
  };
  const Case cases[] = {
      {"LUMARO", "school", true},  {"Lumaro", "\xF8\xEA\xEE\xEB\xE0", true}, {"Lumaro", "Other", false},
      {"sa", "Other", true},       {"Lumaro", "Nowhere", false},              {"Lumaro", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(HasDatabaseAccess(master.get(), c.login, c.name), c.access) << c.name;
  auto refused = Build(standin, "Master", "SA", "wrong");
  EXPECT_FALSE(HasDatabaseAccess(refused.get(), "Lumaro", "School"));
}

TEST(HasDatabaseAccess, FailedCommandGivesNo) {
  TdsStandin standin("access_failing", StandardFixture("", R"({"malformed_token": {"query": "sp_MShasdbaccess"}})"));
  auto master = Build(standin, "Master", "SA", "");
  EXPECT_FALSE(HasDatabaseAccess(master.get(), "Lumaro", "School"));
}

// Answers the stand-in cannot give: the same database listed twice, and a
// command that returns no record set.
class RowsConnection : public DbConnection {
 public:
  using Row = std::map<std::string, std::string>;
  explicit RowsConnection(std::optional<std::vector<Row>> rows) : rows_(std::move(rows)) {}
  std::string ConnectionString() const override { return ""; }
  void SetConnectionString(const std::string&) override {}
  void SetCommandTimeout(int) override {}
  void Open() override {}
  void Close() override {}
  bool IsOpen() const override { return true; }
  std::unique_ptr<DbRecordSet> Execute(const std::string&) override {
    if (!rows_) return nullptr;
    return std::make_unique<Rows>(*rows_);
  }

 private:
  struct Rows : DbRecordSet {
    explicit Rows(std::vector<Row> r) : rows(std::move(r)) {}
    bool Eof() const override { return at >= rows.size(); }
    DbValue Field(const std::string& name) const override { return rows.at(at).at(name); }
    void MoveNext() override { ++at; }
    std::vector<Row> rows;
    std::size_t at = 0;
  };
  std::optional<std::vector<Row>> rows_;
};

TEST(HasDatabaseAccess, ListedTwiceOnceWithTheOwner) {
  RowsConnection twice({{{{"dbname", "School"}, {"owner", "dbo"}}, {{"dbname", "School"}, {"owner", "Lumaro"}}}});
  EXPECT_TRUE(HasDatabaseAccess(&twice, "Lumaro", "School"));
  EXPECT_FALSE(HasDatabaseAccess(&twice, "Lumaro", "Other"));
}

TEST(ListQueries, NoRecordSetGivesFalse) {
  RowsConnection none(std::nullopt);
  std::vector<std::string> names = {"left from before"};
  EXPECT_FALSE(ListFunctions(&none, names));
  EXPECT_EQ(names, std::vector<std::string>{});
  EXPECT_FALSE(ListDatabases(&none, names));
  EXPECT_FALSE(HasDatabaseAccess(&none, "Lumaro", "School"));
}

}  // namespace
}  // namespace lmr
