#pragma once
// The progress captions of the pages with a progress list; each stage passes
// the same texts to BeginStep.
#include <string>
#include <vector>

namespace lmr {

const std::vector<std::string>& EngineStepCaptions();
const std::vector<std::string>& DatabaseStepCaptions();
const std::vector<std::string>& NetworkStepCaptions();

}  // namespace lmr
