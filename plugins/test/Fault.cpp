// A plug-in that is simply broken: it faults in one entry point, chosen when
// it is built (FAULT_IN), each with a different kind of fault. ModifySamples
// faults on its third call (FAULT_AT_CALL), once some sound has gone
// through.
#include "WinampDsp.h"

#define FAULT_HEADER 1
#define FAULT_GET_MODULE 2
#define FAULT_INIT 3
#define FAULT_CONFIG 4
#define FAULT_MODIFY 5
#define FAULT_QUIT 6

namespace {

void AccessViolation() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

volatile int quotient;

void DivisionByZero() {
  volatile int dividend = 1000, zero = 0;
  quotient = dividend / zero;
}

__attribute__((noinline)) int StackOverflow(int depth) {
  volatile char room[4096];
  room[0] = static_cast<char>(depth);
  return depth < 0 ? 0 : StackOverflow(depth + 1) + room[0];
}

#ifndef FAULT_AT_CALL
#define FAULT_AT_CALL 3
#endif

int calls = 0;

void __cdecl Config(winampDSPModule*) {
  if (FAULT_IN == FAULT_CONFIG) StackOverflow(0);
}

int __cdecl Init(winampDSPModule*) {
  if (FAULT_IN == FAULT_INIT) __builtin_trap();  // an illegal instruction
  calls = 0;
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  if (FAULT_IN == FAULT_MODIFY && ++calls == FAULT_AT_CALL) AccessViolation();
  return frames;
}

void __cdecl Quit(winampDSPModule*) {
  if (FAULT_IN == FAULT_QUIT) DivisionByZero();
}

winampDSPModule* __cdecl GetModule(int index);

#define VT_TEXT(x) #x
#define VT_DESCRIPTION(n) "Vellumtone test: fault " VT_TEXT(n)
char description[] = VT_DESCRIPTION(FAULT_IN);
winampDSPModule module = {description, nullptr, nullptr, Config, Init, ModifySamples, Quit, nullptr};
winampDSPHeader header = {0x20, description, GetModule};

winampDSPModule* __cdecl GetModule(int index) {
  if (FAULT_IN == FAULT_GET_MODULE) DivisionByZero();
  return index == 0 ? &module : nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) winampDSPHeader* __cdecl winampDSPGetHeader2() {
  if (FAULT_IN == FAULT_HEADER) AccessViolation();
  return &header;
}
