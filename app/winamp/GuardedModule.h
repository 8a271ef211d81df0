#pragma once

#include <atomic>
#include <cstdint>

#include "FpuState.h"
#include "PluginCallGuard.h"
#include "PluginDpiScope.h"
#include "PluginExitTrap.h"
#include "PluginFpuScope.h"
#include "WinampDsp.h"

// The plug-in library in use as both threads call it: the module, and one
// "faulted" flag that is set at the moment of a fault, on whichever thread,
// and checked before every call. After a fault in ModifySamples on the
// worker, Config is not called; after a fault in Config, the worker's next
// slice is not sent.
class GuardedModule {
 public:
  GuardedModule()
      : module_(nullptr), faulted_(false), fpu_(FpuState::Host().Packed()), endAttempt_(nullptr) {}
  GuardedModule(const GuardedModule&) = delete;
  GuardedModule& operator=(const GuardedModule&) = delete;

  // A new library: calls are allowed again, with no module chosen yet. The
  // window's thread, while no job runs.
  void Reset() {
    module_ = nullptr;
    faulted_ = false;
    fpu_ = FpuState::Host().Packed();
    endAttempt_ = nullptr;
  }
  void Use(winampDSPModule* module) { module_ = module; }
  winampDSPModule* Module() const { return module_; }
  bool HasFaulted() const { return faulted_; }
  // What the library called to end the program, when that was its fault
  // ("ExitProcess"); null for any other fault.
  const wchar_t* EndAttempt() const { return endAttempt_; }

  // The floating-point state the library last left, which each entry into
  // its code starts with (a PluginFpuScope).
  std::atomic<uint64_t>& SavedFpu() { return fpu_; }

  // Runs `call` guarded, on a thread unaware of the display's scale as
  // plug-ins expect and in the library's own floating-point state, unless
  // the library has faulted; false when it did not run or faulted now.
  template <typename Call>
  bool Run(Call& call) {
    if (faulted_) return false;
    if (RunAside(call)) return true;
    MarkFaulted();
    return false;
  }
  // The same, whether or not the library has faulted, and without marking
  // it faulted: false when it faulted now.
  template <typename Call>
  bool RunAside(Call& call) {
    PluginDpiScope dpi;
    PluginFpuScope fpu(fpu_);
    PluginExitTrap::TakeAttempt();  // one the plug-in caught itself is not this call's
    return PluginCallGuard::Run(call);
  }
  // On the thread where the fault happened, right after it.
  // The first fault is the one told: a call left afterwards (see
  // PluginCallGuard::Leave) keeps what that one tried.
  void MarkFaulted() {
    const wchar_t* attempt = PluginExitTrap::TakeAttempt();
    if (!faulted_.exchange(true)) endAttempt_ = attempt;
  }

 private:
  std::atomic<winampDSPModule*> module_;
  std::atomic<bool> faulted_;
  std::atomic<uint64_t> fpu_;
  std::atomic<const wchar_t*> endAttempt_;
};
