#pragma once
// Capture of raised errors. While capture is active, every C++ exception
// thrown by the program or a library linked into it adds one line (its
// what() text, or the name of its type's kind) at the moment it is thrown,
// even when a lower layer catches it again. Works by wrapping __cxa_throw at
// link time (-Wl,--wrap=__cxa_throw, set by the lmr_common target): mingw's
// C++ exceptions do not pass through RaiseException.
#include <cstdint>
#include <string>
#include <vector>

namespace lmr {

// Empties the list and activates capture; a second start while active only empties.
void StartExceptionCapture();
// Deactivates capture; the lines stay.
void StopExceptionCapture();
// Gives the capture list and returns whether capture is active.
bool GetCapturedExceptions(std::vector<std::string>& lines);

// Symbolic name of a Windows exception code, "UnknownException" for others.
std::string ExceptionCodeName(std::uint32_t code);

}  // namespace lmr
