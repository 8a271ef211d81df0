#include <gtest/gtest.h>

#include <thread>

#include "GuardedModule.h"

namespace {

void Fault() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

// A fault on one thread stops the other's calls from that moment.
TEST(GuardedModuleTest, AFaultOnEitherThreadEndsEveryCall) {
  GuardedModule plugin;
  int calls = 0;
  auto counted = [&] { ++calls; };
  auto faulting = [] { Fault(); };
  ASSERT_TRUE(plugin.Run(counted));
  bool returned = true;
  std::thread worker([&] { returned = plugin.Run(faulting); });
  worker.join();
  EXPECT_FALSE(returned);
  EXPECT_TRUE(plugin.HasFaulted());
  EXPECT_FALSE(plugin.Run(counted));
  EXPECT_EQ(calls, 1) << "not called after the fault";
  plugin.Reset();
  EXPECT_TRUE(plugin.Run(counted)) << "a new library";
}

}  // namespace
