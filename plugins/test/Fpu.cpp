// Plug-ins that leave the floating-point units as old DLLs in the wild do.
// FPU_KIND 1: DllMain sets a control word and MXCSR of its own, as
// FreePascal's and Delphi's start-up code does (exceptions unmasked,
// rounding towards zero, denormals flushed). 2: every entry (DllMain, Init,
// Config, ModifySamples, Quit) unmasks every x87 and SSE exception, leaves
// a zero-divide pending and one value on the x87 register stack. 3: each
// ModifySamples leaves one value on the x87 register stack.
// The sound passes unchanged: any change in the output is the host's.
#include <windows.h>

#include <cstdint>

#include "PluginModule.h"

namespace {

volatile double quotient;

void SetControl(uint16_t control) { __asm__ volatile("fldcw %0" : : "m"(control) : "memory"); }
void SetMxcsr(uint32_t mxcsr) { __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory"); }
void LeaveValueOnStack() { __asm__ volatile("fld1" : : : "memory"); }

void SetOwnState() {
  SetControl(0x1F32);   // IE, ZE and OE unmasked, 64-bit precision, towards zero
  SetMxcsr(0x1900 | 0x6000 | 0x8040);  // IE, ZE and OE unmasked, towards zero, FTZ, DAZ
}

// The division runs masked, so its flag is only pending when the new
// control word unmasks it; the next x87 instruction that waits would trap.
void UnmaskAll() {
  LeaveValueOnStack();
  SetControl(0x037F);
  volatile double one = 1.0, zero = 0.0;
  quotient = one / zero;
  SetControl(0x0E40);                  // all unmasked, towards zero
  SetMxcsr(0x6000 | 0x8040 | 0x4);     // all unmasked, a zero-divide flagged
}

void AtEntry() {
  if (FPU_KIND == 2) UnmaskAll();
}

void __cdecl Config(winampDSPModule*) { AtEntry(); }

int __cdecl Init(winampDSPModule*) {
  AtEntry();
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  AtEntry();
  if (FPU_KIND == 3) LeaveValueOnStack();
  return frames;
}

void __cdecl Quit(winampDSPModule*) { AtEntry(); }

}  // namespace

#define VT_TEXT(x) #x
#define VT_DESCRIPTION(n) "Vellumtone test: FPU " VT_TEXT(n)
char pluginDescription[] = VT_DESCRIPTION(FPU_KIND);
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, Config, Init,
                                ModifySamples,     Quit,    nullptr};

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && FPU_KIND == 1) SetOwnState();
  if (reason == DLL_PROCESS_ATTACH) AtEntry();
  return TRUE;
}
