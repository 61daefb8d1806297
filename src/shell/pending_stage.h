#pragma once
// The shape of a stage whose checks are not built yet: its report section and
// its progress lines, and no findings.
#include <string>
#include <vector>

#include "shell/step_protocol.h"

namespace lmr {

void RunPendingStage(StageHost& host, const std::string& section, const std::vector<std::string>& captions,
                     bool closingWait);

const std::vector<std::string>& EngineStepCaptions();
const std::vector<std::string>& DatabaseStepCaptions();
const std::vector<std::string>& NetworkStepCaptions();

}  // namespace lmr
