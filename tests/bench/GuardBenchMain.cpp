// What the floating-point guard around every plug-in call costs: one entry
// into a plug-in (an empty call) with everything the program puts around
// it, the floating-point scope alone, and what that comes to in the
// conversion where it weighs most, the fastest one (320 kbit/s, quality 9,
// through the pass-through: one ModifySamples per 576-frame slice).
//
//   vellumtone_guard_bench [--calls N] [--rounds N] [--seconds N]
//                          [--work FOLDER] [--out FILE]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "BenchInput.h"
#include "BenchProgram.h"
#include "FpuState.h"
#include "GuardedModule.h"
#include "JobBench.h"
#include "PluginCallGuard.h"
#include "PluginFpuScope.h"
#include "Stopwatch.h"
#include "TestEnvironment.h"

namespace {

struct Options {
  int calls = 200000;
  int rounds = 5;
  int seconds = 120;
  std::string work = VT_BENCH_WORK;
};

bool ParseOptions(int argc, char** argv, Options* options, BenchProgram* program) {
  program->Number("--calls", &options->calls);
  program->Number("--rounds", &options->rounds);
  program->Number("--seconds", &options->seconds);
  program->Text("--work", &options->work);
  return program->Parse(argc, argv) && options->calls > 0 && options->rounds > 0 &&
         options->seconds > 0;
}

// Microseconds per repetition of `work`, at its best round.
template <typename Work>
double BestMicroseconds(const Options& options, Work work) {
  double best = 1e30;
  for (int round = 0; round < options.rounds; ++round) {
    double start = Stopwatch::Now();
    for (int i = 0; i < options.calls; ++i) work();
    best = std::min(best, (Stopwatch::Now() - start) * 1e6 / options.calls);
  }
  return best;
}

volatile int calls = 0;
void EmptyCall(void*) { calls = calls + 1; }

}  // namespace

int main(int argc, char** argv) {
  Options options;
  BenchProgram benchProgram;
  if (!ParseOptions(argc, argv, &options, &benchProgram)) {
    std::fprintf(stderr, "usage: see the head of GuardBenchMain.cpp\n");
    return 2;
  }
  FpuState::Host();
  std::atomic<uint64_t> saved(FpuState::Host().Packed());
  GuardedModule module;
  auto empty = [] { calls = calls + 1; };
  double bare = BestMicroseconds(options, [] { PluginCallGuard::Run(EmptyCall, nullptr); });
  double entry = BestMicroseconds(options, [&] { module.RunAside(empty); });
  double scope = BestMicroseconds(options, [&] { PluginFpuScope fpu(saved); });

  std::string work = TestEnvironment::WindowsPath(options.work);
  CreateDirectoryA(work.c_str(), nullptr);
  BenchInput input(work, options.seconds);
  JobBench program;
  std::string plugin = TestEnvironment::WindowsPath(VT_PLUGIN_DIR "/dsp_passthrough.dll");
  Timing timing;
  if (!input.Prepare() || !program.SetUp(plugin) ||
      !program.Convert(input.Path(), work + "\\guard-out.mp3", 320, 9, &timing, nullptr)) {
    std::fprintf(stderr, "guard benchmark: the conversion failed\n");
    return 1;
  }
  double slices = options.seconds * 44100.0 / 576;
  double share = scope * 1e-6 * slices / timing.wall * 100;
  char text[2048];
  std::snprintf(
      text, sizeof text,
      "## The floating-point guard around plug-in calls\n\n"
      "An empty plug-in call, %d times in a row, the best of %d rounds: %.3f µs in the call "
      "guard alone, %.3f µs with everything a call gets (the floating-point scope, the "
      "display-scale scope, the exit trap's reset); the floating-point scope on its own "
      "%.3f µs. A %d:%02d input converts at 320 kbit/s, quality 9 (the fastest setting, where "
      "the guard weighs most) in %.2f s with %.0f slices, one ModifySamples call each: the "
      "floating-point scope is %.4f %% of that conversion (target under 0.1 %%: %s).\n",
      options.calls, options.rounds, bare, entry, scope, options.seconds / 60,
      options.seconds % 60, timing.wall, slices, share, share < 0.1 ? "met" : "NOT met");
  benchProgram.Publish(text);
  return 0;
}
