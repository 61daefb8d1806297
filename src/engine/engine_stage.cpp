#include "engine/engine_stage.h"

#include <string>

#include "engine/engine_probes.h"
#include "shell/page_captions.h"

namespace lmr {

namespace {

constexpr std::int32_t kServiceRunning = 4;
constexpr std::int32_t kServiceContinuing = 2;

const char* YesNo(bool yes) { return yes ? "Yes" : "No"; }

// The found text, or "Error" when the probe could not reach its source.
std::string TextOrError(bool found, const std::string& text) { return found ? text : "Error"; }

}  // namespace

void RunEngineStage(StageHost& host, TRegistry& registry, TLibraryLoader& loader, std::uint32_t platformId,
                    bool& EngineRunning) {
  TTavXMLLogProvider& w = host.ReportWriter;
  const auto& caption = EngineStepCaptions();
  {
    GuardedNode section(w, "MSDEOptions");
    {
      GuardedStep step(host.Steps, caption[0]);
      EngineRunning = EngineInstalled(registry);
      w.WriteValue("Install", YesNo(EngineRunning));
    }
    {
      GuardedStep step(host.Steps, caption[1]);
      w.WriteValue("AutoStart", YesNo(EngineAutoStart(registry)));
    }
    {
      GuardedStep step(host.Steps, caption[2]);
      std::string text;
      const bool found = EngineStateText(registry, loader, text);
      w.WriteValue("State", TextOrError(found, text));
      // A fresh query, so the flag follows the service as it is now.
      std::int32_t code = 0;
      const bool answered = EngineServiceState(registry, loader, code);
      EngineRunning = answered && (code == kServiceRunning || code == kServiceContinuing);
    }
    {
      GuardedStep step(host.Steps, caption[3]);
      std::string text;
      const bool found = LoginModeText(registry, platformId, text);
      w.WriteValue("LoginMode", TextOrError(found, text));
    }
    {
      GuardedStep step(host.Steps, caption[4]);
      std::string name;
      const bool found = EngineCollationName(registry, name);
      w.WriteValue("DefCollationName", TextOrError(found, name));
    }
  }
  host.Wait(1000);
}

}  // namespace lmr
