#pragma once

#include <atomic>
#include <cstdint>

#include "FpuState.h"
#include "PluginCallGuard.h"
#include "PluginDpiScope.h"
#include "PluginFpuScope.h"
#include "WinampDsp.h"

// The plug-in library in use as both threads call it: the module, and one
// "faulted" flag that is set at the moment of a fault, on whichever thread,
// and checked before every call. After a fault in ModifySamples on the
// worker, Config is not called; after a fault in Config, the worker's next
// slice is not sent.
class GuardedModule {
 public:
  GuardedModule() : module_(nullptr), faulted_(false), fpu_(FpuState::Host().Packed()) {}
  GuardedModule(const GuardedModule&) = delete;
  GuardedModule& operator=(const GuardedModule&) = delete;

  // A new library: calls are allowed again, with no module chosen yet. The
  // window's thread, while no job runs.
  void Reset() {
    module_ = nullptr;
    faulted_ = false;
    fpu_ = FpuState::Host().Packed();
  }
  void Use(winampDSPModule* module) { module_ = module; }
  winampDSPModule* Module() const { return module_; }
  bool HasFaulted() const { return faulted_; }

  // The floating-point state the library last left, which each entry into
  // its code starts with (a PluginFpuScope).
  std::atomic<uint64_t>& SavedFpu() { return fpu_; }

  // Runs `call` guarded, on a thread unaware of the display's scale as
  // plug-ins expect and in the library's own floating-point state, unless
  // the library has faulted; false when it did not run or faulted now.
  template <typename Call>
  bool Run(Call& call) {
    if (faulted_) return false;
    PluginDpiScope dpi;
    PluginFpuScope fpu(fpu_);
    if (PluginCallGuard::Run(call)) return true;
    faulted_ = true;
    return false;
  }

 private:
  std::atomic<winampDSPModule*> module_;
  std::atomic<bool> faulted_;
  std::atomic<uint64_t> fpu_;
};
