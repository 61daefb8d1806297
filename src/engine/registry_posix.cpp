#include "engine/registry.h"

namespace lmr {

// A host without Windows has no registry and so no engine.
TRegistry& MachineRegistry() {
  static TMemoryRegistry empty;
  return empty;
}

}  // namespace lmr
