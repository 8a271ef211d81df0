// The batch's benchmark: an album converted file by file and as one batch
// in the same run, and the memory of a long batch.
//
//   vellumtone_batch_bench [--seconds N] [--files N] [--rounds N]
//                          [--memory-files N] [--memory-seconds N]
//                          [--work FOLDER] [--out FILE]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BatchBench.h"
#include "BenchProgram.h"
#include "BenchInput.h"
#include "JobBench.h"
#include "TestEnvironment.h"

namespace {

struct Options {
  int seconds = 120;
  int files = 5;
  int rounds = 3;
  int memoryFiles = 100;
  int memorySeconds = 5;
  std::string work = VT_BENCH_WORK;
};

bool ParseOptions(int argc, char** argv, Options* options, BenchProgram* program) {
  program->Number("--seconds", &options->seconds);
  program->Number("--files", &options->files);
  program->Number("--rounds", &options->rounds);
  program->Number("--memory-files", &options->memoryFiles);
  program->Number("--memory-seconds", &options->memorySeconds);
  program->Text("--work", &options->work);
  return program->Parse(argc, argv) && options->seconds > 0 && options->files > 0 &&
         options->rounds > 0 && options->memoryFiles > 10;
}

// `count` copies of one input, each a file of its own.
std::vector<std::string> Album(const BenchInput& input, const std::string& folder, int count) {
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> files;
  for (int i = 1; i <= count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\%03d Track.mp3", i);
    files.push_back(folder + name);
    CopyFileA(input.Path().c_str(), files.back().c_str(), FALSE);
  }
  return files;
}

double Best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  BenchProgram program;
  if (!ParseOptions(argc, argv, &options, &program)) {
    std::fprintf(stderr, "usage: see the head of BatchBenchMain.cpp\n");
    return 2;
  }
  std::string work = TestEnvironment::WindowsPath(options.work);
  std::string plugin = TestEnvironment::WindowsPath(VT_PLUGIN_DIR "/dsp_passthrough.dll");
  CreateDirectoryA(work.c_str(), nullptr);
  BenchInput input(work, options.seconds);
  BenchInput shortInput(work, options.memorySeconds);
  JobBench singles;
  BatchBench batch;
  if (!input.Prepare() || !shortInput.Prepare() || !singles.SetUp(plugin) || !batch.SetUp(plugin)) {
    std::fprintf(stderr, "batch benchmark: setting up failed\n");
    return 1;
  }
  std::vector<std::string> album = Album(input, work + "\\album", options.files);
  std::vector<double> singleSums, batchTimes;
  for (int round = 0; round < options.rounds; ++round) {
    double sum = 0;
    for (size_t i = 0; i < album.size(); ++i) {
      Timing timing;
      double start = Stopwatch::Now();
      std::string output = work + "\\single " + std::to_string(i) + ".mp3";
      if (!singles.Convert(album[i], output, 320, 5, &timing, nullptr)) return 1;
      sum += Stopwatch::Now() - start;
    }
    singleSums.push_back(sum);
    double seconds = 0;
    if (!batch.Convert(album, work + "\\batch-out", 320, 5, &seconds)) return 1;
    batchTimes.push_back(seconds);
    std::printf("round %d: singles %.2f s, batch %.2f s\n", round + 1, sum, seconds);
  }
  double memorySeconds = 0;
  std::vector<std::string> many = Album(shortInput, work + "\\many", options.memoryFiles);
  if (!batch.Convert(many, work + "\\many-out", 320, 5, &memorySeconds)) return 1;

  double ratio = Best(batchTimes) / Best(singleSums);
  double grown = (batch.BytesAtEnd() - batch.BytesAfterTen()) / 1048576.0;
  char text[2048];
  std::snprintf(
      text, sizeof text,
      "## Batch conversion\n\n"
      "%d copies of a %d:%02d input converted at 320 kbit/s, quality 5, through the "
      "pass-through: one by one (each prepared, run and placed as the window does it), then "
      "as one batch (its check of every input and name included), in %d interleaved rounds; "
      "the best round of each counts.\n\n"
      "| | seconds |\n|---|---|\n"
      "| the single conversions, summed | %.2f |\n"
      "| one batch | %.2f |\n"
      "| batch / singles | %.4f (target at most 1.01: %s) |\n\n"
      "Private bytes of the process over a batch of %d files of %d s: %.2f MiB when the 11th "
      "starts, %.2f MiB after the last, %+.2f MiB (target within 2 MiB: %s).\n",
      options.files, options.seconds / 60, options.seconds % 60, options.rounds,
      Best(singleSums), Best(batchTimes), ratio, ratio <= 1.01 ? "met" : "NOT met",
      options.memoryFiles, options.memorySeconds, batch.BytesAfterTen() / 1048576.0,
      batch.BytesAtEnd() / 1048576.0, grown, grown <= 2 && grown >= -2 ? "met" : "NOT met");
  program.Publish(text);
  return 0;
}
