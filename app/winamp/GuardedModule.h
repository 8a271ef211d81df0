#pragma once

#include <atomic>

#include "PluginCallGuard.h"
#include "PluginDpiScope.h"
#include "WinampDsp.h"

// The plug-in library in use as both threads call it: the module, and one
// "faulted" flag that is set at the moment of a fault, on whichever thread,
// and checked before every call. After a fault in ModifySamples on the
// worker, Config is not called; after a fault in Config, the worker's next
// slice is not sent.
class GuardedModule {
 public:
  GuardedModule() : module_(nullptr), faulted_(false) {}
  GuardedModule(const GuardedModule&) = delete;
  GuardedModule& operator=(const GuardedModule&) = delete;

  // A new library: calls are allowed again, with no module chosen yet. The
  // window's thread, while no job runs.
  void Reset() {
    module_ = nullptr;
    faulted_ = false;
  }
  void Use(winampDSPModule* module) { module_ = module; }
  winampDSPModule* Module() const { return module_; }
  bool HasFaulted() const { return faulted_; }

  // Runs `call` guarded, on a thread unaware of the display's scale as
  // plug-ins expect, unless the library has faulted; false when it did not
  // run or faulted now.
  template <typename Call>
  bool Run(Call& call) {
    if (faulted_) return false;
    PluginDpiScope dpi;
    if (PluginCallGuard::Run(call)) return true;
    faulted_ = true;
    return false;
  }

 private:
  std::atomic<winampDSPModule*> module_;
  std::atomic<bool> faulted_;
};
