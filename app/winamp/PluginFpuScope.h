#pragma once

#include <atomic>
#include <cstdint>

#include "FpuState.h"

// One entry into a plug-in's code (LoadLibrary with its DllMain, Init,
// Config, ModifySamples, Quit, ...): for the lifetime of the object the
// thread runs with the state the plug-in last left (`saved`, which starts
// as the program's own), as Winamp-era hosts with a state per plug-in do;
// the destructor keeps what the plug-in left in `saved` and gives the
// thread back the program's own state, with nothing pending and the x87
// register stack empty, also after a fault.
class PluginFpuScope {
 public:
  explicit PluginFpuScope(std::atomic<uint64_t>& saved);
  PluginFpuScope(const PluginFpuScope&) = delete;
  PluginFpuScope& operator=(const PluginFpuScope&) = delete;
  ~PluginFpuScope();

 private:
  std::atomic<uint64_t>& saved_;
};
