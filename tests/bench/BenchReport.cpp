#include "BenchReport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr double kFloorTarget = 1.03;
constexpr double kLameTarget = 1.00;
// A worker on the processor this much of its run hardly waits.
constexpr double kOnProcessorFloor = 0.97;
constexpr double kResponseTargetMs = 50;
constexpr double kGrowthTargetBytes = 1024.0 * 1024.0;
constexpr double kMiB = 1024.0 * 1024.0;

std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(length > 0 ? length + 1 : 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, again);
  va_end(again);
  text.resize(length > 0 ? length : 0);
  return text;
}

std::string Figure(const Samples& samples) {
  return Format("%.2f s (min %.2f)", samples.Median(), samples.Min());
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0; }

// Each round's a over b (over c + d for the floor): the runs of one round
// follow each other, so a change in the machine's speed between rounds
// cancels out of the ratio.
Samples RoundRatios(const SettingResult& s, bool floor, bool cpu) {
  const Samples& a = cpu ? s.programCpu : s.programWall;
  Samples ratios;
  for (size_t i = 0; i < a.Count(); ++i) {
    double other = !floor ? s.lameWall.At(i)
                   : cpu  ? s.decodeCpu.At(i) + s.encodeCpu.At(i)
                          : s.decodeWall.At(i) + s.encodeWall.At(i);
    ratios.Add(Ratio(a.At(i), other));
  }
  return ratios;
}

// Each round's CPU time over its wall-clock time: how much of its run a
// thread spent on the processor rather than waiting.
Samples OnProcessor(const Samples& cpu, const Samples& wall) {
  Samples shares;
  for (size_t i = 0; i < cpu.Count(); ++i) shares.Add(Ratio(cpu.At(i), wall.At(i)));
  return shares;
}

std::string RatioFigure(const Samples& ratios) {
  return Format("%.3f (%.3f–%.3f)", ratios.Median(), ratios.Min(), ratios.Max());
}

std::string SettingName(const SettingResult& s) {
  return Format("%d kbit/s, q%d", s.kbps, s.quality);
}

std::string Verdict(bool met) { return met ? "met" : "**not met**"; }

constexpr int kPhases = static_cast<int>(BlockPhase::Count);

// The phases that the libraries alone have too: (c) decodes, (d) encodes
// and writes, and finishes its file.
bool HasAlone(BlockPhase phase) {
  return phase == BlockPhase::Decode || phase == BlockPhase::Sink || phase == BlockPhase::Finish;
}

// Each block at its best, over the whole run.
double AloneBest(const SettingResult& s, BlockPhase phase) {
  return s.decodeBlocks.Seconds(phase) + s.encodeBlocks.Seconds(phase);
}

double AloneBest(const SettingResult& s) {
  return s.decodeBlocks.Seconds() + s.encodeBlocks.Seconds();
}

double BestRatio(const SettingResult& s) { return Ratio(s.programBlocks.Seconds(), AloneBest(s)); }

double BestRatio(const SettingResult& s, BlockPhase phase) {
  return Ratio(s.programBlocks.Seconds(phase), AloneBest(s, phase));
}

std::string PhaseCell(const SettingResult& s, BlockPhase phase) {
  double program = s.programBlocks.Seconds(phase);
  if (!HasAlone(phase)) return Format("%.3f s", program);
  return Format("%.3f s / %.3f s (%.3f)", program, AloneBest(s, phase), BestRatio(s, phase));
}

}  // namespace

void SettingResult::AddPhases(const BlockPhaseClock& program, const BlockPhaseClock& decode,
                              const BlockPhaseClock& encode) {
  programBlocks.Add(program);
  decodeBlocks.Add(decode);
  encodeBlocks.Add(encode);
}

std::string BenchReport::Markdown() const {
  std::string text = "## Conversion speed\n\n";
  text += "Input: " + inputDescription + ". Libraries: " + librariesDescription + ".\n\n";
  text += Format(
      "Each figure is the median of %d runs, the minimum in brackets; the runs of all four "
      "kinds alternate, so a slow moment of the machine falls on all of them alike. "
      "(a) the program's conversion with the pass-through plug-in, from the job's start until "
      "its file is in place (the window's fixed 1 s pause before the result message is not "
      "included); (b) `lame.exe --mp3input -b K -q Q -m s` (with `--quiet`), less its "
      "process start-up (%.3f s: `lame.exe --version`, median); (c) "
      "decoding alone; (d) encoding alone of the decoded PCM into a file. A ratio is the "
      "median of the rounds' own ratios (each round's runs follow each other, so a change "
      "in the machine's speed between rounds cancels out), their range in brackets.\n\n",
      repeats, lameStartupWall);
  text += "### Wall-clock time\n\n" + WallTable();
  text +=
      "\n### CPU time of the working thread\n\nThe time other processes take does not count "
      "here, but a stretch in which the machine's host slows this one does, as much as in the "
      "wall clock (the processor's instruction counters cannot be read here). Wine does not "
      "report the CPU time of another process, so lame.exe has none.\n\n" +
      CpuTable();
  text += "\n" + PhaseTable();
  text += "\n" + Targets();
  text += "\n" + Reading();
  if (haveResponsiveness) text += "\n" + ResponsivenessSection();
  if (!memory.empty()) text += "\n" + MemorySection();
  if (!finishes.empty()) text += "\n" + FinishSection();
  return text;
}

std::string BenchReport::FinishSection() const {
  std::string text = "## End of a conversion\n\n";
  text += Format(
      "The program's conversion (320 kbit/s, q5, the pass-through plug-in) of the "
      "conversion-speed input above, "
      "timed from the end of its block loop until the file is in place: the encoder's flush, "
      "its Info tag, the input's tags copied with TagLib and read back, `FlushFileBuffers`, "
      "and the move onto the chosen name. A tag that grows the file's start makes TagLib "
      "move the whole audio behind it. Median of %d runs, the minimum in brackets; the "
      "whole conversion beside it.\n\n",
      repeats);
  text += "| input | end of the conversion | whole conversion |\n|---|---|---|\n";
  for (const FinishResult& f : finishes) {
    text += "| " + f.input + Format(" | %.3f s (min %.3f) | %.2f s (min %.2f) |\n",
                                    f.wall.Median(), f.wall.Min(), f.whole.Median(),
                                    f.whole.Min());
  }
  if (loudnessWall.Count() == 0 || finishes.empty()) return text;
  text += Format(
      "\nAn input with a loudness value (ReplayGain, RVA2, iTunNORM) has the output measured "
      "as it goes into the encoder, block by block (libebur128: the integrated loudness and "
      "the sample peaks); without one nothing is measured. The meter alone over the same "
      "input's decoded samples, in the program's block size: %.3f s (min %.3f), %.1f %% of "
      "the conversion without tags.\n",
      loudnessWall.Median(), loudnessWall.Min(),
      100.0 * loudnessWall.Median() / finishes[0].whole.Median());
  return text;
}

std::string BenchReport::WallTable() const {
  std::string text =
      "| setting | (a) program | (b) lame.exe | (c) decode | (d) encode | a/b | a/(c+d) |\n"
      "|---|---|---|---|---|---|---|\n";
  for (const SettingResult& s : settings) {
    const Samples& a = s.programWall;
    text += "| " + SettingName(s) + " | " + Figure(a) + " | " + Figure(s.lameWall) + " | " +
            Figure(s.decodeWall) + " | " + Figure(s.encodeWall) + " | " +
            RatioFigure(RoundRatios(s, false, false)) + " | " +
            RatioFigure(RoundRatios(s, true, false)) + " |\n";
  }
  return text;
}

std::string BenchReport::CpuTable() const {
  std::string text =
      "| setting | (a) program | (c) decode | (d) encode | a/(c+d) |\n"
      "|---|---|---|---|---|\n";
  for (const SettingResult& s : settings) {
    text += "| " + SettingName(s) + " | " + Figure(s.programCpu) + " | " + Figure(s.decodeCpu) +
            " | " + Figure(s.encodeCpu) + " | " + RatioFigure(RoundRatios(s, true, true)) +
            " |\n";
  }
  return text;
}

std::string BenchReport::PhaseTable() const {
  std::string text =
      "### Where the job's time goes\n\nThe worker's block loop, phase by phase (wall clock), "
      "each block at its best: the machine's host slows stretches of a run now and then, by up "
      "to half, whatever the run does, so each phase of each block is taken from the round in "
      "which it was fastest, and what comes after the last block likewise. The libraries "
      "alone are taken the same way, (c) for the decoding and (d) for the rest, each from its "
      "own runs; their figure follows the job's, then the ratio of the two in brackets.\n\n"
      "| phase |";
  std::string rule = "|---|";
  for (const SettingResult& s : settings) {
    text += " " + SettingName(s) + " |";
    rule += "---|";
  }
  text += "\n" + rule + "\n";
  for (int p = 0; p < kPhases; ++p) {
    BlockPhase phase = static_cast<BlockPhase>(p);
    text += std::string("| ") + BlockPhaseClock::Name(phase) + " |";
    for (const SettingResult& s : settings) text += " " + PhaseCell(s, phase) + " |";
    text += "\n";
  }
  text += "| all phases: a / (c)+(d) |";
  for (const SettingResult& s : settings) {
    text += Format(" %.3f s / %.3f s (**%.3f**) |", s.programBlocks.Seconds(), AloneBest(s),
                   BestRatio(s));
  }
  return text + "\n";
}

std::string BenchReport::Targets() const {
  double worstBest = 0, worstWall = 0, worstCpu = 0, worstLame = 0;
  for (const SettingResult& s : settings) {
    worstBest = std::max(worstBest, BestRatio(s));
    worstWall = std::max(worstWall, RoundRatios(s, true, false).Median());
    worstCpu = std::max(worstCpu, RoundRatios(s, true, true).Median());
    worstLame = std::max(worstLame, RoundRatios(s, false, false).Median());
  }
  return Format(
      "Targets: a/(c+d) ≤ %.2f at every setting, each block at its best: %s (worst %.3f); end "
      "to end, the median of the rounds' ratios: %s (worst %.3f wall clock, %.3f CPU time). "
      "a/b ≤ %.2f at every setting (wall clock, the median of the rounds' ratios): %s (worst "
      "%.3f).\n",
      kFloorTarget, Verdict(worstBest <= kFloorTarget).c_str(), worstBest,
      Verdict(worstWall <= kFloorTarget && worstCpu <= kFloorTarget).c_str(), worstWall,
      worstCpu, kLameTarget, Verdict(worstLame <= kLameTarget).c_str(), worstLame) +
         CpuAgreement();
}

// A block's best time is read from the wall clock; it is processor time too
// when the worker hardly waits.
std::string BenchReport::CpuAgreement() const {
  double job = 1, alone = 1;
  for (const SettingResult& s : settings) {
    job = std::min(job, OnProcessor(s.programCpu, s.programWall).Median());
    alone = std::min(alone, OnProcessor(s.encodeCpu, s.encodeWall).Median());
  }
  std::string text =
      job >= kOnProcessorFloor
          ? "\nThe CPU time agrees with the blocks' best: the job's worker was on the processor "
            "for at least %.1f %% of its wall-clock time at every setting (encoding alone "
            "%.1f %%), so a block's time is the processor's work and not waiting."
          : "\nThe CPU time does not confirm the blocks' best: the job's worker was on the "
            "processor for only %.1f %% of its wall-clock time at one setting (encoding alone "
            "%.1f %%), so part of a block's time is waiting.";
  text +=
      " (The median of the rounds, CPU time counted in Wine's 10 ms ticks.) Where a host slows "
      "whole stretches of a run, the whole runs' CPU time lengthens with the wall clock and "
      "cannot tell 3 %%.\n";
  return Format(text.c_str(), job * 100, alone * 100);
}

// What the speed tables say, in words, with the figures they rest on.
std::string BenchReport::Reading() const {
  if (settings.empty()) return "";
  double lowest = 1e9, highest = 0, spread = 0, slowest = 0;
  for (const SettingResult& s : settings) {
    lowest = std::min(lowest, BestRatio(s));
    highest = std::max(highest, BestRatio(s));
    slowest = std::max(slowest, RoundRatios(s, false, false).Median());
    spread = std::max(spread, 1 - Ratio(s.programWall.Min(), s.programWall.Median()));
  }
  const SettingResult& first = settings.front();
  std::string text = Format(
      "What this means: each block at its best, a/(c+d) runs from %.3f to %.3f, while one "
      "measurement's minimum and median differ by up to %.0f %% on this machine. ",
      lowest, highest, spread * 100);
  text += highest <= kFloorTarget
              ? "The program's conversion costs what its two libraries cost on their own. "
              : "The program's conversion costs more than its two libraries on their own. ";
  text += PhaseReading();
  text += Format(
      "Against LAME's transcoder, which encodes with the same LAME, the difference is the "
      "decoder: at %s libmpg123 decodes the input in %.2f s, while LAME's transcoder spends "
      "about %.2f s (b − d) on its own built-in decoder and the rest of its work%s.\n",
      SettingName(first).c_str(), first.decodeWall.Median(),
      first.lameWall.Median() - first.encodeWall.Median(),
      slowest <= kLameTarget ? ", so the program is the faster of the two" : "");
  return text;
}

// Where the setting with the highest a/(c+d) spends what decoding and
// encoding alone do not: the job's own phases, and the libraries' own work
// done block by block in turn instead of each over the whole input.
std::string BenchReport::PhaseReading() const {
  const SettingResult* worst = &settings.front();
  for (const SettingResult& s : settings) {
    if (BestRatio(s) > BestRatio(*worst)) worst = &s;
  }
  const BlockPhase own[] = {BlockPhase::Plugin, BlockPhase::Fade, BlockPhase::Progress};
  double ownSeconds = 0;
  BlockPhase largest = own[0];
  for (BlockPhase phase : own) {
    double seconds = worst->programBlocks.Seconds(phase);
    ownSeconds += seconds;
    if (seconds > worst->programBlocks.Seconds(largest)) largest = phase;
  }
  return Format(
      "Per phase, at %s: the job's own work (plug-in slices, fade-in, progress) takes "
      "%.3f s, %.1f %% of (a), most of it the %s (%.3f s); decoding in the job takes %.3f of "
      "its time alone and encoding %.3f, the two libraries taking turns block by block and so "
      "sharing the processor's caches. ",
      SettingName(*worst).c_str(), ownSeconds,
      Ratio(ownSeconds, worst->programBlocks.Seconds()) * 100, BlockPhaseClock::Name(largest),
      worst->programBlocks.Seconds(largest), BestRatio(*worst, BlockPhase::Decode),
      BestRatio(*worst, BlockPhase::Sink));
}

std::string BenchReport::ResponsivenessSection() const {
  const Samples& trips = responsiveness.roundTripMs;
  std::string text = "## Responsiveness during a conversion\n\n";
  text += Format(
      "The real program converts the input above at 320 kbit/s, quality 5, through the "
      "pass-through plug-in, while another process sends `WM_NULL` to its main window with "
      "`SendMessageTimeout` every 10 ms (%zu probes).\n\n"
      "| p50 | p99 | max | Convert pressed → result message | of which the fixed end pause "
      "|\n|---|---|---|---|---|\n"
      "| %.2f ms | %.2f ms | %.2f ms | %.2f s | 1.00 s |\n\n"
      "Target p99 ≤ %.0f ms: %s.\n",
      trips.Count(), trips.Percentile(50), trips.Percentile(99), trips.Max(),
      responsiveness.clickToResult, kResponseTargetMs,
      Verdict(trips.Percentile(99) <= kResponseTargetMs).c_str());
  return text;
}

std::string BenchReport::MemorySection() const {
  std::string text = "## Memory\n\n";
  text +=
      "Private bytes of the real program (committed memory of its own, counted region by "
      "region), sampled every 100 ms while it converts at 320 kbit/s, quality 5.\n\n"
      "| input | before the conversion | peak while converting | growth | peak pagefile "
      "usage (as Wine reports it) |\n|---|---|---|---|---|\n";
  for (const MemoryRun& run : memory) {
    const MemoryResult& m = run.result;
    text += Format("| %d s | %.2f MiB | %.2f MiB | %.2f MiB | %.2f MiB |\n", run.seconds,
                   m.idleBytes / kMiB, m.peakBytes / kMiB, (m.peakBytes - m.idleBytes) / kMiB,
                   m.peakPagefileBytes / kMiB);
  }
  if (memory.size() >= 2) {
    double growth = memory.back().result.peakBytes - memory.front().result.peakBytes;
    text += Format(
        "\nPeak of the longest input less that of the shortest: %.3f MiB. Target ≤ 1 MiB "
        "(nothing grows with the input's length): %s.\n",
        growth / kMiB, Verdict(growth <= kGrowthTargetBytes).c_str());
  }
  return text;
}
