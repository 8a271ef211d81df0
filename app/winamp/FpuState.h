#pragma once

#include <cstdint>

// The settings of a thread's floating-point units that code can change and
// leave changed for whoever runs next on the thread: the x87 control word
// (exception masks, precision, rounding) and SSE's MXCSR (masks, rounding,
// flush-to-zero). Plug-ins change them: Delphi and FreePascal DLLs set
// their own control word in DllMain, some unmask exceptions, some leave a
// value on the x87 register stack. With unmasked exceptions LAME or
// libmpg123 then fault, and a full register stack or another rounding
// silently changes what they compute. So the program keeps its own state,
// taken once at start-up, and every call into a plug-in runs in a
// PluginFpuScope.
class FpuState {
 public:
  // What the thread has now.
  static FpuState Current();
  // The program's own state: taken by the first call, which the entry point
  // makes before anything else runs.
  static const FpuState& Host();

  // Makes this the thread's state: pending x87 exceptions cleared, the x87
  // register stack emptied when anything is left on it, MXCSR without its
  // sticky exception flags.
  void Load() const;

  // One value, so that two threads can hand a state over atomically.
  uint64_t Packed() const { return (static_cast<uint64_t>(mxcsr) << 16) | control; }
  static FpuState FromPacked(uint64_t packed);

  uint16_t control;
  uint32_t mxcsr;
};
