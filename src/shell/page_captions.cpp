#include "shell/page_captions.h"

namespace lmr {

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
