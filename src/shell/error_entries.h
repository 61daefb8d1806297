#pragma once
// The report entries of the last system and socket errors, written into
// whatever element is open.
#include "report/xml_log_provider.h"

namespace lmr {

// "SYSError": the text of the calling thread's last system error.
void WriteSystemError(TTavXMLLogProvider& writer);
// "WSAError": the text of the last socket error.
void WriteSocketError(TTavXMLLogProvider& writer);

}  // namespace lmr
