// The benchmark: the program's conversion side by side with LAME's own
// transcoder and with the libraries alone, then the real program's
// responsiveness and memory while it converts. Writes its figures as
// Markdown.
//
//   vellumtone_bench [--seconds N] [--repeat N] [--memory-seconds A,B]
//                    [--work FOLDER] [--out FILE] [--end-only]
//
// --end-only measures only the end of a conversion (its own section).
#include <windows.h>

#include <lame/lame.h>
#include <mpg123.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "AppProbe.h"
#include "BenchInput.h"
#include "BenchReport.h"
#include "JobBench.h"
#include "LibraryBench.h"
#include "ReferenceBench.h"
#include "TestEnvironment.h"
#include "TestMp3.h"

namespace {

struct Options {
  int seconds = 600;
  // Each block's phases are taken from the round in which they ran fastest;
  // with five rounds too many blocks still carry one of the host's slow
  // stretches in every round, and a/(c+d) moved by 3 % from run to run.
  int repeat = 10;
  std::vector<int> memorySeconds = {60, 3600};
  std::string work = VT_BENCH_WORK;
  std::string out;
  bool endOnly = false;
};

struct Setting {
  int kbps;
  int quality;
};
constexpr Setting kSettings[] = {{320, 5}, {320, 0}, {320, 9}, {128, 5}};
constexpr int kStartupRuns = 5;
constexpr unsigned int kCoverBytes = 1536 * 1024;

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--end-only") {
      options->endOnly = true;
      continue;
    }
    if (++i >= argc) return false;
    std::string value = argv[i];
    if (name == "--seconds") {
      options->seconds = std::atoi(value.c_str());
    } else if (name == "--repeat") {
      options->repeat = std::atoi(value.c_str());
    } else if (name == "--memory-seconds") {
      options->memorySeconds.clear();
      for (const char* p = value.c_str(); p; p = std::strchr(p, ',')) {
        if (*p == ',') ++p;
        options->memorySeconds.push_back(std::atoi(p));
      }
    } else if (name == "--work") {
      options->work = value;
    } else if (name == "--out") {
      options->out = value;
    } else {
      return false;
    }
  }
  return options->seconds > 0 && options->repeat > 0;
}

bool Check(bool ok, const char* what) {
  if (!ok) std::fprintf(stderr, "benchmark: %s failed\n", what);
  return ok;
}

std::string Describe(int seconds) {
  char text[160];
  std::snprintf(text, sizeof text,
                "%d:%02d of a music-like stereo signal at 44100 Hz (chords, a moving level, "
                "noise), encoded at 320 kbit/s",
                seconds / 60, seconds % 60);
  return text;
}

class Benchmark {
 public:
  explicit Benchmark(const Options& options)
      : options_(options),
        work_(TestEnvironment::WindowsPath(options.work)),
        plugin_(TestEnvironment::WindowsPath(VT_PLUGIN_DIR "/dsp_passthrough.dll")),
        input_(work_, options.seconds),
        reference_(TestEnvironment::WindowsPath(VELLUMTONE_LAME_EXE)) {}

  bool Run() {
    CreateDirectoryA(work_.c_str(), nullptr);
    std::printf("Making the inputs in %s ...\n", work_.c_str());
    if (!Check(input_.Prepare(), "making the input")) return false;
    if (!Check(program_.SetUp(plugin_), "loading the pass-through plug-in")) return false;
    if (!Check(library_.Load(input_.Path()), "decoding the input")) return false;
    report_.inputDescription = Describe(options_.seconds);
    report_.repeats = options_.repeat;
    report_.librariesDescription = "libmpg123 (API " + std::to_string(MPG123_API_VERSION) + ", decoder \"" +
                                   program_.DecoderName() + "\"), LAME " + get_lame_version() +
                                   ", reference " + reference_.Version();
    if (options_.endOnly) return MeasureFinish();
    return MeasureStartup() && MeasureSpeed() && MeasureFinish() && MeasureResponsiveness() &&
           MeasureMemory();
  }

  std::string Markdown() const {
    return options_.endOnly ? report_.FinishSection() : report_.Markdown();
  }

 private:
  bool MeasureStartup() {
    Samples wall;
    for (int i = 0; i < kStartupRuns; ++i) {
      Timing timing;
      if (!Check(reference_.Startup(&timing), "lame.exe --version")) return false;
      wall.Add(timing.wall);
    }
    report_.lameStartupWall = wall.Median();
    return true;
  }

  bool MeasureSpeed() {
    for (const Setting& setting : kSettings) {
      SettingResult result;
      result.kbps = setting.kbps;
      result.quality = setting.quality;
      report_.settings.push_back(result);
    }
    for (int round = 1; round <= options_.repeat; ++round) {
      std::printf("Round %d of %d ...\n", round, options_.repeat);
      std::fflush(stdout);
      for (SettingResult& result : report_.settings) {
        if (!MeasureSetting(result)) return false;
      }
    }
    return true;
  }

  bool MeasureSetting(SettingResult& result) {
    std::string output = work_ + "\\out.mp3";
    Timing timing;
    BlockPhaseClock job, decode, encode;
    std::vector<BlockTicks> jobBlocks, decodeBlocks, encodeBlocks;
    job.KeepBlocks(&jobBlocks);
    decode.KeepBlocks(&decodeBlocks);
    encode.KeepBlocks(&encodeBlocks);
    // Encoding alone truncates the last run's file before its clock starts;
    // the program would replace it inside its own time, and freeing a large
    // file's space takes milliseconds. Neither is timed.
    DeleteFileA(output.c_str());
    if (!Check(program_.Convert(input_.Path(), output, result.kbps, result.quality, &timing, &job),
               "the program's conversion")) {
      return false;
    }
    result.programWall.Add(timing.wall);
    result.programCpu.Add(timing.cpu);
    if (!Check(reference_.Transcode(input_.Path(), output, result.kbps, result.quality, &timing),
               "lame.exe")) {
      return false;
    }
    result.lameWall.Add(timing.wall - report_.lameStartupWall);
    if (!Check(library_.Decode(input_.Path(), &timing, &decode), "decoding alone")) return false;
    result.decodeWall.Add(timing.wall);
    result.decodeCpu.Add(timing.cpu);
    if (!Check(library_.Encode(output, result.kbps, result.quality, &timing, &encode),
               "encoding alone")) {
      return false;
    }
    result.encodeWall.Add(timing.wall);
    result.encodeCpu.Add(timing.cpu);
    result.AddPhases(job, decode, encode);
    return true;
  }

  // The end of a conversion without tags, with a 1.5 MB cover, whose tag
  // TagLib writes in front of the audio, and with ReplayGain values, which
  // have the output's loudness measured; and the loudness meter alone.
  bool MeasureFinish() {
    std::string stem = work_ + "\\music_" + std::to_string(options_.seconds) + "s";
    std::string covered = stem + "_cover.mp3", loudness = stem + "_replaygain.mp3";
    if (!Check(CopyFileA(input_.Path().c_str(), covered.c_str(), FALSE) &&
                   TestMp3::AddCover(covered, kCoverBytes) &&
                   CopyFileA(input_.Path().c_str(), loudness.c_str(), FALSE) &&
                   TestMp3::AddReplayGain(loudness),
               "adding tags to the input")) {
      return false;
    }
    report_.finishes = {{"without tags", {}, {}},
                        {"with a 1.5 MB cover (ID3v2.4)", {}, {}},
                        {"with ReplayGain's track gain and peak (ID3v2.4)", {}, {}}};
    const std::string inputs[] = {input_.Path(), covered, loudness};
    for (int round = 1; round <= options_.repeat; ++round) {
      std::printf("End of a conversion, round %d of %d ...\n", round, options_.repeat);
      std::fflush(stdout);
      Timing metered;
      if (!Check(library_.MeasureLoudness(&metered), "the loudness meter alone")) return false;
      report_.loudnessWall.Add(metered.wall);
      for (size_t i = 0; i < 3; ++i) {
        Timing timing;
        BlockPhaseClock phases;
        if (!Check(program_.Convert(inputs[i], work_ + "\\end_out.mp3", 320, 5, &timing, &phases),
                   "the program's conversion")) {
          return false;
        }
        // The flush, the Info tag, the tags and the move into place.
        report_.finishes[i].wall.Add(phases.Seconds(BlockPhase::Finish));
        report_.finishes[i].whole.Add(timing.wall);
      }
    }
    return true;
  }

  bool MeasureResponsiveness() {
    std::printf("Probing the program's window ...\n");
    std::fflush(stdout);
    AppProbe probe(plugin_);
    std::string output = work_ + "\\app_out.mp3";
    report_.haveResponsiveness = true;
    return Check(probe.Responsiveness(input_.Path(), output, &report_.responsiveness),
                 "the program's conversion while probed");
  }

  bool MeasureMemory() {
    AppProbe probe(plugin_);
    for (int seconds : options_.memorySeconds) {
      std::printf("Memory with a %d s input ...\n", seconds);
      std::fflush(stdout);
      BenchInput input(work_, seconds);
      MemoryRun run;
      run.seconds = seconds;
      std::string output = work_ + "\\memory_out.mp3";
      if (!Check(input.Prepare(), "making a memory input") ||
          !Check(probe.Memory(input.Path(), output, &run.result), "the memory run")) {
        return false;
      }
      report_.memory.push_back(run);
    }
    return true;
  }

  Options options_;
  std::string work_;
  std::string plugin_;
  BenchInput input_;
  JobBench program_;
  LibraryBench library_;
  ReferenceBench reference_;
  BenchReport report_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: vellumtone_bench [--seconds N] [--repeat N] [--memory-seconds A,B] "
                 "[--work FOLDER] [--out FILE] [--end-only]\n");
    return 2;
  }
  Benchmark benchmark(options);
  bool ok = benchmark.Run();
  std::string markdown = benchmark.Markdown();
  std::printf("\n%s", markdown.c_str());
  if (!options.out.empty()) {
    FILE* file = std::fopen(TestEnvironment::WindowsPath(options.out).c_str(), "wb");
    if (!file) return Check(false, "writing the report"), 1;
    std::fputs(markdown.c_str(), file);
    std::fclose(file);
  }
  return ok ? 0 : 1;
}
