// The database stage through OdbcConnection against the TDS stand-in, with a
// scripted SA password prompt: the "DataBaseOptions" section byte for byte,
// the progress marks, the closing wait and the product connection left for
// the network stage.
#include "database/database_stage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "common/text1251.h"
#include "database/odbc_connection.h"
#include "scripted_prompt.h"
#include "shell/fake_progress_list.h"
#include "shell/page_captions.h"
#include "tds_standin_process.h"

namespace lmr {
namespace {

using test::FakeProgressList;
using test::ScriptedPrompt;
using test::StandinDatabase;
using test::StandinFixture;
using test::TdsStandin;
using Answers = std::vector<std::optional<std::string>>;

const char kReport[] = "D.xml";
const std::string kHead = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n\r<D.xml>\n\r";
const std::string kTail = "</DataBaseOptions></D.xml>";
const char* const kKinds[] = {"Func", "Proc", "Table"};

struct StageRun {
  std::string report;
  std::vector<std::string> lines;
  std::vector<std::uint32_t> waits;
  std::vector<std::string> shown;  // texts the SA password prompt showed
  int built = 0;                   // connections built
  std::unique_ptr<DbConnection> product;
  std::string error;
};

// Reference lists in the current folder: kind -> lines; a kind left out has no file.
void WriteReferenceLists(const std::map<std::string, std::vector<std::string>>& lists) {
  for (const char* kind : kKinds) std::remove((std::string("DBObjects_") + kind + ".txt").c_str());
  for (const auto& [kind, lines] : lists) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    test::WriteAll("DBObjects_" + kind + ".txt", text);
  }
}

StageRun RunStage(bool engineRunning, const InstallationResult& installation, const Answers& answers) {
  StageRun r;
  FakeProgressList list;
  FillProgressList(list, DatabaseStepCaptions());
  int current = -1;
  ScriptedPrompt prompt(answers);
  {
    TTavXMLLogProvider writer(kReport);
    ProgressSteps steps(list, "Complete", current);
    StageHost host{writer, steps, [&](std::uint32_t ms) { r.waits.push_back(ms); }};
    const DbConnectionFactory create = [&] {
      ++r.built;
      return CreateOdbcConnection();
    };
    try {
      RunDatabaseStage(host, engineRunning, installation, create, prompt, r.product);
    } catch (const std::exception& e) {
      r.error = e.what();
    }
  }
  r.report = test::ReadAll(kReport);
  r.lines = list.lines;
  r.shown = prompt.shown;
  return r;
}

std::string V(const std::string& name, const std::string& value) {
  return "<" + name + ">" + value + "</" + name + ">\r\n";
}

std::vector<std::string> Lines(std::size_t marked) {
  std::vector<std::string> lines = DatabaseStepCaptions();
  for (std::size_t n = 0; n < marked; ++n) lines[n] += "Complete";
  return lines;
}

// Slots 1, 5 and 4 named, on the stand-in; 2, 3 and 6 empty as the
// installation stage leaves them.
InstallationResult Slots(const std::string& server) {
  InstallationResult r;
  r.ServerConfigFound = true;
  r.DbServer1 = r.DbServer5 = r.DbServer4 = server;
  r.DbName1 = "Tav";
  r.DbName5 = "School";
  r.DbName4 = "Search";
  return r;
}

std::vector<StandinDatabase> ProductDatabases() {
  return {{"Tav", "Lumaro"},
          {"School", "Lumaro", {"CalcA", "CalcB"}, {"sp_one"}, {"Pupils"}},
          {"Search", "Lumaro"}};
}

// The section of a run whose checks all found what they look for, with the
// step 5 elements given.
std::string FullSection(const std::string& objects = "") {
  return "<DataBaseOptions>" + V("MasterDB_Connected", "Yes") + V("Exist_Tav", "Yes") + V("Exist_School", "Yes") +
         V("Exist_Search", "Yes") + V("Exist_", "No") + V("Exist_", "No") + V("Exist_", "No") +
         V("Tav_Connected", "Yes") + V("School_Connected", "Yes") + V("Search_Connected", "Yes") +
         V("Access_Lumaro_To_TavDB", "Yes") + V("Access_Lumaro_To_SchoolDB", "Yes") +
         V("Access_Lumaro_To_SearchDB", "Yes") + objects;
}

const std::map<std::string, std::vector<std::string>> kCompleteLists = {
    {"Func", {"CalcA", "CalcB"}}, {"Proc", {"sp_one"}}, {"Table", {"Pupils"}}};

TEST(RunDatabaseStage, EngineStoppedWritesOneElementAndConnectsNowhere) {
  StageRun r = RunStage(false, Slots("127.0.0.1,1"), {});
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.report, kHead + "<DataBaseOptions>" + V("SQLServer_Status", "Not Installing or Not Ready") + kTail);
  EXPECT_EQ(r.lines, Lines(0));
  EXPECT_EQ(r.built, 0);
  EXPECT_TRUE(r.waits.empty());
  EXPECT_EQ(r.product, nullptr);
}

// Each case: the server's SA password and databases, the prompt's answers,
// the slots, the reference lists, and what the stage leaves.
TEST(RunDatabaseStage, SectionByServerAndSlots) {
  struct Case {
    const char* what;
    std::string saPassword;
    std::vector<StandinDatabase> databases;
    Answers answers;
    std::function<void(InstallationResult&)> slots;  // changes to Slots(stand-in)
    std::map<std::string, std::vector<std::string>> lists;
    std::string section;  // the section's text before its end tag
    std::size_t marked;
    std::vector<std::string> shown;
    bool completed;       // ran to its end and waited
    bool productOpen;
  };
  const auto same = [](InstallationResult&) {};
  const Case cases[] = {
      {"all found, empty SA password, complete lists", "", ProductDatabases(), {}, same, kCompleteLists,
       FullSection(), 5, {}, true, true},
      {"wrong, then right SA password", "S3cret;", ProductDatabases(), {"wrong", "S3cret;"}, same, kCompleteLists,
       FullSection(), 5, {"", "wrong"}, true, true},
      {"Cancel at the prompt", "S3cret", ProductDatabases(), {"wrong", std::nullopt}, same, kCompleteLists,
       "<DataBaseOptions>" + V("MasterDB_Connected", "No") + V("MasterBD_State", "Connected Failed"), 1,
       {"", "wrong"}, false, false},
      {"no configuration", "", ProductDatabases(), {std::nullopt},
       [](InstallationResult& r) { r = InstallationResult(); }, kCompleteLists,
       "<DataBaseOptions>" + V("MasterDB_Connected", "No") + V("Server_Lumaro_State", "Not Installing or Not Found"),
       1, {""}, false, false},
      {"no configuration, master reached", "", ProductDatabases(), {},
       [](InstallationResult& r) { r.ServerConfigFound = false; }, kCompleteLists,
       "<DataBaseOptions>" + V("MasterDB_Connected", "Yes") + V("Server_Lumaro_State", "Not Installing or Not Found"),
       1, {}, false, false},
      {"slot 4's database missing", "", {{"Tav", "Lumaro"}, {"SCHOOL", "Lumaro", {"CalcA", "CalcB"}, {"sp_one"}, {"Pupils"}}},
       {}, same, kCompleteLists,
       "<DataBaseOptions>" + V("MasterDB_Connected", "Yes") + V("Exist_Tav", "Yes") + V("Exist_School", "Yes") +
           V("Exist_Search", "No") + V("Exist_", "No") + V("Exist_", "No") + V("Exist_", "No") +
           V("Tav_Connected", "Yes") + V("School_Connected", "Yes") + V("Search_Connected", "No") +
           V("Access_Lumaro_To_TavDB", "Yes") + V("Access_Lumaro_To_SchoolDB", "Yes") +
           V("Access_Lumaro_To_SearchDB", "No"),
       5, {}, true, true},
      {"slot 1's database owned by another login", "",
       {{"Tav", "sa", {}, {}, {}, {"Lumaro"}}, ProductDatabases()[1], ProductDatabases()[2]}, {}, same, kCompleteLists,
       "<DataBaseOptions>" + V("MasterDB_Connected", "Yes") + V("Exist_Tav", "Yes") + V("Exist_School", "Yes") +
           V("Exist_Search", "Yes") + V("Exist_", "No") + V("Exist_", "No") + V("Exist_", "No") +
           V("Tav_Connected", "Yes") + V("School_Connected", "Yes") + V("Search_Connected", "Yes") +
           V("Access_Lumaro_To_TavDB", "No") + V("Access_Lumaro_To_SchoolDB", "Yes") +
           V("Access_Lumaro_To_SearchDB", "Yes"),
       5, {}, true, true},
      {"objects the reference lists lack", "", ProductDatabases(), {}, same,
       {{"Func", {"calca", "Other"}}, {"Proc", {"SP_ONE"}}, {"Table", {}}},
       FullSection("<Functions_Not_Found>" + V("F", "CalcB") + "</Functions_Not_Found><Tables_Not_Found>" +
                   V("T", "Pupils") + "</Tables_Not_Found>"),
       5, {}, true, true},
      {"no reference lists", "", ProductDatabases(), {}, same, {}, FullSection(), 5, {}, true, true},
      {"only the procedure list, lacking one", "", ProductDatabases(), {}, same, {{"Proc", {"sp_two"}}},
       FullSection("<Procedures_Not_Found>" + V("P", "sp_one") + "</Procedures_Not_Found>"), 5, {}, true, true},
      {"slot 5's server unreachable", "", ProductDatabases(), {},
       [](InstallationResult& r) { r.DbServer5 = TdsStandin::Unreachable(); }, {{"Func", {}}, {"Table", {}}},
       "<DataBaseOptions>" + V("MasterDB_Connected", "Yes") + V("Exist_Tav", "Yes") + V("Exist_School", "Yes") +
           V("Exist_Search", "Yes") + V("Exist_", "No") + V("Exist_", "No") + V("Exist_", "No") +
           V("Tav_Connected", "Yes") + V("School_Connected", "No") + V("Search_Connected", "Yes") +
           V("Access_Lumaro_To_TavDB", "Yes") + V("Access_Lumaro_To_SchoolDB", "Yes") +
           V("Access_Lumaro_To_SearchDB", "Yes"),
       5, {}, true, false},
  };
  for (const Case& c : cases) {
    TdsStandin standin("stage", StandinFixture(c.saPassword, c.databases));
    InstallationResult slots = Slots(standin.Server());
    c.slots(slots);
    WriteReferenceLists(c.lists);
    StageRun r = RunStage(true, slots, c.answers);
    EXPECT_EQ(r.error, "") << c.what;
    EXPECT_EQ(r.report, kHead + c.section + kTail) << c.what;
    EXPECT_EQ(r.lines, Lines(c.marked)) << c.what;
    EXPECT_EQ(r.shown, c.shown) << c.what;
    EXPECT_EQ(r.waits, c.completed ? std::vector<std::uint32_t>{1000} : std::vector<std::uint32_t>{}) << c.what;
    ASSERT_EQ(r.product != nullptr, c.completed) << c.what;
    EXPECT_EQ(r.product && r.product->IsOpen(), c.productOpen) << c.what;
    // Neither password reaches the report.
    for (const std::string& secret : {c.saPassword, std::string("Brevanto")}) {
      if (!secret.empty()) {
        EXPECT_EQ(r.report.find(secret), std::string::npos) << c.what;
      }
    }
  }
}

TEST(RunDatabaseStage, NamesWithBlanksMarkupAndCyrillic) {
  const std::string name = "\xD8\xEA\xEE\xEB\xE0 \xB9 5 & <\xC4\xE5\xF2\xE8>";  // Школа № 5 & <Дети>
  const std::string function = "\xD4\xF3\xED\xEA\xF6\xE8\xFF a<b>&c";         // Функция a<b>&c
  TdsStandin standin("stage_names", StandinFixture("", {{Cp1251ToUtf8(name), "Lumaro", {Cp1251ToUtf8(function), "Known"}}}));
  InstallationResult slots = Slots(standin.Server());
  slots.DbName1 = slots.DbName5 = slots.DbName4 = name;
  WriteReferenceLists({{"Func", {"known"}}});
  StageRun r = RunStage(true, slots, {});
  EXPECT_EQ(r.error, "");
  // Blanks, "№" and markup are no name characters: the writer puts "_" for each.
  const std::string element = "\xD8\xEA\xEE\xEB\xE0___5____\xC4\xE5\xF2\xE8_";
  const std::string section =
      "<DataBaseOptions>" + V("MasterDB_Connected", "Yes") + V("Exist_" + element, "Yes") + V("Exist_" + element, "Yes") +
      V("Exist_" + element, "Yes") + V("Exist_", "No") + V("Exist_", "No") + V("Exist_", "No") +
      V(element + "_Connected", "Yes") + V(element + "_Connected", "Yes") + V(element + "_Connected", "Yes") +
      V("Access_Lumaro_To_" + element + "DB", "Yes") + V("Access_Lumaro_To_" + element + "DB", "Yes") +
      V("Access_Lumaro_To_" + element + "DB", "Yes") + "<Functions_Not_Found>" +
      V("F", "\xD4\xF3\xED\xEA\xF6\xE8\xFF a&lt;b&gt;&#0038;c") + "</Functions_Not_Found>";
  EXPECT_EQ(r.report, kHead + section + kTail);
  EXPECT_EQ(r.waits, std::vector<std::uint32_t>{1000});
}

// A connection lost while rows are read leaves the stage with the driver's
// error: the step reached is marked, the open elements are closed, no wait.
// A command that fails outright is swallowed by the object lists.
TEST(RunDatabaseStage, BrokenResultsFromTheServer) {
  struct Case {
    const char* what;
    std::string fault;
    std::string section;
    std::size_t marked;
    bool completed;
  };
  const Case cases[] = {
      {"database list dropped after a row", R"({"drop_after_rows": {"query": "sp_databases", "rows": 1}})",
       "<DataBaseOptions>" + V("MasterDB_Connected", "Yes"), 2, false},
      // The driver gives the connection up, so the table list finds nothing either.
      {"malformed function list", R"({"malformed_token": {"query": "sysobjects:FN"}})", FullSection(), 5, true},
      {"function list dropped after a row", R"({"drop_after_rows": {"query": "sysobjects:FN", "rows": 1}})",
       FullSection(), 5, false},
  };
  for (const Case& c : cases) {
    TdsStandin standin("stage_broken", StandinFixture("", ProductDatabases(), c.fault));
    WriteReferenceLists({{"Func", {}}, {"Table", {}}});
    StageRun r = RunStage(true, Slots(standin.Server()), {});
    if (c.completed) {
      EXPECT_EQ(r.error, "") << c.what;
    } else {
      EXPECT_NE(r.error.find("Unexpected EOF from the server"), std::string::npos) << c.what << ": " << r.error;
    }
    EXPECT_EQ(r.report, kHead + c.section + kTail) << c.what;
    EXPECT_EQ(r.lines, Lines(c.marked)) << c.what;
    EXPECT_EQ(r.waits, c.completed ? std::vector<std::uint32_t>{1000} : std::vector<std::uint32_t>{}) << c.what;
  }
}

TEST(CompareObjectList, DatabaseNamesTheReferenceListLacks) {
  const std::string cyrillic = "\xD0\xE0\xF1\xF7\xB8\xF2";  // Расчёт
  TdsStandin standin("compare", StandinFixture("", {{"School", "Lumaro", {"CalcA", "CalcB", Cp1251ToUtf8(cyrillic)}}}));
  auto product = BuildConnection(&CreateOdbcConnection, standin.Server(), "School", "Lumaro", "Brevanto");
  // Without a connection or a reference list: nothing.
  WriteReferenceLists({});
  EXPECT_EQ(CompareObjectList("Func", product.get()), std::vector<std::string>{});
  WriteReferenceLists({{"Func", {}}});
  EXPECT_EQ(CompareObjectList("Func", nullptr), std::vector<std::string>{});
  // A closed connection lists no objects.
  EXPECT_EQ(CompareObjectList("Func", product.get()), std::vector<std::string>{});
  ASSERT_TRUE(TryConnect(product.get()));
  struct Case {
    std::vector<std::string> reference;
    std::vector<std::string> missing;
  };
  const Case cases[] = {
      {{}, {"CalcA", "CalcB", cyrillic}},
      {{"CALCB", "\xF0\xC0\xD1\xD7\xA8\xD2"}, {"CalcA"}},  // рАСЧЁТ: case ignored for Cyrillic too
      {{"CalcA", "CalcB", cyrillic, "Extra"}, {}},         // one way: "Extra" is not reported
      {{"CalcA ", " CalcB", "Calc"}, {"CalcA", "CalcB", cyrillic}},  // lines compare whole
  };
  for (const Case& c : cases) {
    WriteReferenceLists({{"Func", c.reference}});
    EXPECT_EQ(CompareObjectList("Func", product.get()), c.missing);
  }
}

TEST(CompareObjectList, HundredThousandObjectsThroughTheDriver) {
  // A database with 100,000 functions and a reference list lacking the last
  // ten, its other lines in upper case: the whole result comes through the
  // driver row by row, and the comparison keeps the database's order.
  std::vector<std::string> functions, reference;
  for (int i = 0; i < 100000; ++i) {
    functions.push_back("fn_" + std::to_string(i));
    if (i < 99990) reference.push_back("FN_" + std::to_string(i));
  }
  TdsStandin standin("compare_big", StandinFixture("", {{"School", "Lumaro", functions}}));
  auto product = BuildConnection(&CreateOdbcConnection, standin.Server(), "School", "Lumaro", "Brevanto");
  ASSERT_TRUE(TryConnect(product.get()));
  WriteReferenceLists({{"Func", reference}});
  const std::vector<std::string> missing(functions.end() - 10, functions.end());
  EXPECT_EQ(CompareObjectList("Func", product.get()), missing);
  WriteReferenceLists({});
}

}  // namespace
}  // namespace lmr
