#include "shell/error_entries.h"

#include "common/system_text.h"

namespace lmr {

void WriteSystemError(TTavXMLLogProvider& writer) { writer.WriteValue("SYSError", SystemErrorText()); }

void WriteSocketError(TTavXMLLogProvider& writer) { writer.WriteValue("WSAError", SocketErrorText()); }

}  // namespace lmr
