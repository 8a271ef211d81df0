#include "PluginFpuScope.h"

PluginFpuScope::PluginFpuScope(std::atomic<uint64_t>& saved) : saved_(saved) {
  FpuState::FromPacked(saved_.load()).Load();
}

PluginFpuScope::~PluginFpuScope() {
  saved_.store(FpuState::Current().Packed());
  FpuState::Host().Load();
}
