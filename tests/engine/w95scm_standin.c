/* Stand-in for the engine's service-control library: answers the state code
   given in the environment variable LMR_STANDIN_STATE, and -100 when called
   with other arguments than the engine's service name and a null pointer. */
#include <stdlib.h>
#include <string.h>
#include <windows.h>

__declspec(dllexport) LONG __cdecl SQLSCMGetLocalServiceStateA(const char* service, void* reserved) {
  char code[16];
  DWORD n = GetEnvironmentVariableA("LMR_STANDIN_STATE", code, sizeof code);
  if (strcmp(service, "MSSQLServer") != 0 || reserved != NULL || n == 0 || n >= sizeof code) return -100;
  return atol(code);
}
