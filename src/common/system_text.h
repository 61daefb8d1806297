#pragma once
// Names and error texts the system gives, as windows-1251 bytes.
#include <string>

namespace lmr {

// Message text of the calling thread's last system error (usually ending in CR LF).
std::string SystemErrorText();
// The same for the last socket error.
std::string SocketErrorText();
std::string CurrentUserName();
std::string LocalComputerName();

}  // namespace lmr
