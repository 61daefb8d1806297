#include "shell/pending_stage.h"

namespace lmr {

void RunPendingStage(StageHost& host, const std::string& section, const std::vector<std::string>& captions,
                     bool closingWait) {
  {
    GuardedNode node(host.ReportWriter, section);
    for (const auto& caption : captions) GuardedStep step(host.Steps, caption);
  }
  if (closingWait) host.Wait(1000);
}

const std::vector<std::string>& EngineStepCaptions() {
  static const std::vector<std::string> c = {"Install: ", "Auto-Start State: ", "Action State: ",
                                             "Login Mode: ", "Default Collation Name: "};
  return c;
}

const std::vector<std::string>& DatabaseStepCaptions() {
  static const std::vector<std::string> c = {
      "Connecting To MasterDB: ", "Check Exist Lumaro DataBases: ", "Connecting To Lumaro DataBases: ",
      "Check Access To Lumaro DataBases: ", "Check SP & FN: "};
  return c;
}

const std::vector<std::string>& NetworkStepCaptions() {
  static const std::vector<std::string> c = {"Network Settings: ", "Lumaro Proxy Options: ",
                                             "Lumaro Network Options: "};
  return c;
}

}  // namespace lmr
