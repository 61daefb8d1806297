#include "sysinfo/version_text.h"

namespace lmr {

// There is no Windows version to report on a native host; all figures stay 0.
TOSVersionFigures QueryOSVersionFigures() { return TOSVersionFigures{}; }

}  // namespace lmr
