#pragma once
// The engine page's stage: the "MSDEOptions" section of the report and the
// flag that tells the later stages whether the engine runs.
#include <cstdint>

#include "engine/library_loader.h"
#include "engine/registry.h"
#include "shell/step_protocol.h"

namespace lmr {

// Runs the five steps with the captions of EngineStepCaptions(). EngineRunning
// is set from the installation check first and then from a fresh service-state
// query, so after a normal run it holds "the service answered Start or
// Continue". An error of a probe leaves the stage after its step is marked and
// the section closed, without the closing wait.
void RunEngineStage(StageHost& host, TRegistry& registry, TLibraryLoader& loader, std::uint32_t platformId,
                    bool& EngineRunning);

}  // namespace lmr
