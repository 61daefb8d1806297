#pragma once
#include <string>

namespace lmr {

// The report's name from the program file's name (without folder): every
// occurrence of its extension removed, then ".xml" appended. Wizard.exe gives
// Wizard.xml, a.exe.tool.exe gives a.tool.xml, Wizard gives Wizard.xml.
std::string ReportFileNameFor(const std::string& programFileName);

}  // namespace lmr
