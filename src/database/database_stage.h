#pragma once
// The database page's stage: the "DataBaseOptions" section of the report and
// the connection to the product database that the network stage reads.
#include <memory>
#include <string>
#include <vector>

#include "database/database_access.h"
#include "install/installation_stage.h"
#include "shell/step_protocol.h"

namespace lmr {

// Names of the product database's objects of the kind ("Func", "Proc" or
// "Table") that the reference list "DBObjects_<kind>.txt" in the current
// folder lacks, in the database's order; lines compare whole, letter case
// ignored. Empty without the list or the connection.
std::vector<std::string> CompareObjectList(const std::string& kind, DbConnection* connection);

// Runs the five steps with the captions of DatabaseStepCaptions(). Ends early,
// without the closing wait, when the engine does not run, no configuration
// was found or "Master" does not open as SA. The SA password typed at the
// prompt lives only for this run. ProductConnection receives the slot 5
// connection, opened or not. An error leaves the stage with the current
// step marked and every opened element closed, without the closing wait.
void RunDatabaseStage(StageHost& host, bool EngineRunning, const InstallationResult& installation,
                      const DbConnectionFactory& createConnection, PasswordPrompt& prompt,
                      std::unique_ptr<DbConnection>& ProductConnection);

}  // namespace lmr
