#include "common/exception_capture.h"

#include <exception>
#include <typeinfo>

namespace lmr {
namespace {

struct CaptureState {
  bool active = false;
  std::vector<std::string> lines;
};

CaptureState& State() {
  static CaptureState state;
  return state;
}

struct CodeName {
  std::uint32_t code;
  const char* name;
};

constexpr CodeName kCodeNames[] = {
    {0x80000002u, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003u, "EXCEPTION_BREAKPOINT"},
    {0x80000004u, "EXCEPTION_SINGLE_STEP"},
    {0xC0000005u, "EXCEPTION_ACCESS_VIOLATION"},
    {0xC0000006u, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC000001Du, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025u, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC0000026u, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC000008Cu, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008Du, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008Eu, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008Fu, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090u, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091u, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092u, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093u, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094u, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095u, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096u, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC00000FDu, "EXCEPTION_STACK_OVERFLOW"},
};

// The text of a thrown object, taken before any handler runs.
std::string DescribeThrown(void* object, std::type_info* type) {
  void* adjusted = object;
  // Asks the runtime whether a handler for std::exception would catch this
  // object, and where its std::exception part lives.
  if (typeid(std::exception).__do_catch(type, &adjusted, 1)) {
    return static_cast<std::exception*>(adjusted)->what();
  }
  return "UnknownException";
}

}  // namespace

void StartExceptionCapture() {
  State().lines.clear();
  State().active = true;
}

void StopExceptionCapture() { State().active = false; }

bool GetCapturedExceptions(std::vector<std::string>& lines) {
  lines = State().lines;
  return State().active;
}

std::string ExceptionCodeName(std::uint32_t code) {
  for (const CodeName& entry : kCodeNames) {
    if (entry.code == code) return entry.name;
  }
  return "UnknownException";
}

}  // namespace lmr

extern "C" {
[[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*));

[[noreturn]] void __wrap___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*)) {
  auto& state = lmr::State();
  if (state.active) {
    // Off while recording, so a failure to record cannot record itself.
    state.active = false;
    try {
      state.lines.push_back(lmr::DescribeThrown(object, type));
    } catch (...) {
      // Out of memory while recording: the original error matters more.
    }
    state.active = true;
  }
  __real___cxa_throw(object, type, destroy);
}
}
