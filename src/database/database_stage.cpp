#include "database/database_stage.h"

#include <unordered_set>

#include "common/load_lines.h"
#include "database/case_key.h"
#include "shell/page_captions.h"

namespace lmr {
namespace {

constexpr char kProductLogin[] = "Lumaro";
constexpr char kProductPassword[] = "Brevanto";

const char* YesNo(bool yes) { return yes ? "Yes" : "No"; }

struct ObjectKind {
  const char* kind;
  bool (*list)(DbConnection*, std::vector<std::string>&);
  const char* container;
  const char* leaf;
};

const ObjectKind kObjectKinds[] = {
    {"Func", &ListFunctions, "Functions_Not_Found", "F"},
    {"Proc", &ListProcedures, "Procedures_Not_Found", "P"},
    {"Table", &ListTables, "Tables_Not_Found", "T"},
};

// The section; false when it ended early.
bool WriteSection(StageHost& host, bool engineRunning, const InstallationResult& in,
                  const DbConnectionFactory& create, PasswordPrompt& prompt,
                  std::unique_ptr<DbConnection>& product) {
  TTavXMLLogProvider& w = host.ReportWriter;
  const std::vector<std::string>& caption = DatabaseStepCaptions();
  GuardedNode section(w, "DataBaseOptions");
  host.Steps.BeginStep(caption[0]);
  if (!engineRunning) {
    w.WriteValue("SQLServer_Status", "Not Installing or Not Ready");
    return false;
  }
  std::unique_ptr<DbConnection> master;
  bool masterOpen = false;
  {
    StepEnd end(host.Steps);
    std::string saPassword;
    master = BuildConnection(create, in.DbServer1, "Master", "SA", saPassword);
    masterOpen = ConnectWithPasswordPrompt(master.get(), saPassword, prompt);
    w.WriteValue("MasterDB_Connected", YesNo(masterOpen));
  }
  if (!in.ServerConfigFound) {
    w.WriteValue("Server_Lumaro_State", "Not Installing or Not Found");
    return false;
  }
  if (!masterOpen) {
    w.WriteValue("MasterBD_State", "Connected Failed");
    return false;
  }
  {
    GuardedStep step(host.Steps, caption[1]);
    for (const std::string* name : {&in.DbName1, &in.DbName5, &in.DbName4, &in.DbName2, &in.DbName3, &in.DbName6}) {
      w.WriteValue("Exist_" + *name, YesNo(DatabaseExists(master.get(), *name)));
    }
  }
  auto slot1 = BuildConnection(create, in.DbServer1, in.DbName1, kProductLogin, kProductPassword);
  product = BuildConnection(create, in.DbServer5, in.DbName5, kProductLogin, kProductPassword);
  auto slot4 = BuildConnection(create, in.DbServer4, in.DbName4, kProductLogin, kProductPassword);
  {
    GuardedStep step(host.Steps, caption[2]);
    w.WriteValue(in.DbName1 + "_Connected", YesNo(TryConnect(slot1.get())));
    w.WriteValue(in.DbName5 + "_Connected", YesNo(TryConnect(product.get())));
    w.WriteValue(in.DbName4 + "_Connected", YesNo(TryConnect(slot4.get())));
  }
  {
    GuardedStep step(host.Steps, caption[3]);
    for (const std::string* name : {&in.DbName1, &in.DbName5, &in.DbName4}) {
      w.WriteValue("Access_Lumaro_To_" + *name + "DB", YesNo(HasDatabaseAccess(master.get(), kProductLogin, *name)));
    }
  }
  {
    GuardedStep step(host.Steps, caption[4]);
    for (const ObjectKind& k : kObjectKinds) {
      const std::vector<std::string> missing = CompareObjectList(k.kind, product.get());
      if (missing.empty()) continue;
      GuardedNode container(w, k.container);
      for (const std::string& name : missing) w.WriteValue(k.leaf, name);
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> CompareObjectList(const std::string& kind, DbConnection* connection) {
  std::vector<std::string> names;
  if (!connection) return names;
  const ObjectKind* found = nullptr;
  for (const ObjectKind& k : kObjectKinds) {
    if (kind == k.kind) found = &k;
  }
  if (!found) return names;
  const std::optional<std::vector<std::string>> lines = LoadLines("DBObjects_" + kind + ".txt");
  if (!lines) return names;
  std::unordered_set<std::string> reference;
  reference.reserve(lines->size());
  for (const std::string& line : *lines) reference.insert(CaseKey(line));
  std::vector<std::string> objects;
  found->list(connection, objects);
  for (std::string& name : objects) {
    if (reference.count(CaseKey(name)) == 0) names.push_back(std::move(name));
  }
  return names;
}

void RunDatabaseStage(StageHost& host, bool EngineRunning, const InstallationResult& installation,
                      const DbConnectionFactory& createConnection, PasswordPrompt& prompt,
                      std::unique_ptr<DbConnection>& ProductConnection) {
  if (WriteSection(host, EngineRunning, installation, createConnection, prompt, ProductConnection)) host.Wait(1000);
}

}  // namespace lmr
