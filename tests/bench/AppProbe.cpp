#include "AppProbe.h"

#include <psapi.h>

#include <cstdio>

#include "Stopwatch.h"
#include "resources/resource.h"

namespace {

constexpr double kProbeIntervalSeconds = 0.010;
constexpr int kProbeTimeoutMs = 5000;
constexpr int kMemorySampleMs = 100;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

double PeakPagefileBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PeakPagefileUsage);
}

}  // namespace

// Committed private memory, region by region, as Windows counts a
// process's private bytes.
double PrivateBytes(HANDLE process) {
  double total = 0;
  MEMORY_BASIC_INFORMATION region;
  const char* address = nullptr;
  while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}


bool AppProbe::Responsiveness(const std::string& input, const std::string& output,
                              ResponsivenessResult* result) {
  AppDriver app;
  if (!Launch(app, input, output)) return false;
  app.Click(IDC_CONVERT);
  double start = Stopwatch::Now();
  double next = start;
  while (!app.FindMessageBox()) {
    next += kProbeIntervalSeconds;
    double sent = Stopwatch::Now();
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(app.Window(), WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeoutMs,
                             &answer)) {
      return false;
    }
    double now = Stopwatch::Now();
    result->roundTripMs.Add((now - sent) * 1000.0);
    if (next > now) Sleep(static_cast<DWORD>((next - now) * 1000.0));
  }
  result->clickToResult = Stopwatch::Now() - start;
  return Finish(app);
}

bool AppProbe::Memory(const std::string& input, const std::string& output,
                      MemoryResult* result) {
  AppDriver app;
  if (!Launch(app, input, output)) return false;
  result->idleBytes = PrivateBytes(app.Process());
  result->peakBytes = result->idleBytes;
  app.Click(IDC_CONVERT);
  while (!app.FindMessageBox()) {
    double now = PrivateBytes(app.Process());
    if (now > result->peakBytes) result->peakBytes = now;
    Sleep(kMemorySampleMs);
  }
  result->peakPagefileBytes = PeakPagefileBytes(app.Process());
  return Finish(app);
}

bool AppProbe::Launch(AppDriver& app, const std::string& input, const std::string& output) {
  DeleteFileA(output.c_str());  // the save dialog would ask before replacing it
  const char* failed = !app.Launch() ? "starting the program"
                       : !app.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Wide(input))
                           ? "choosing the input"
                       : !app.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", Wide(pluginPath_))
                           ? "choosing the plug-in"
                       : !app.Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Wide(output))
                           ? "choosing the output"
                           : nullptr;
  if (failed) std::fprintf(stderr, "benchmark: %s failed\n", failed);
  return !failed;
}

bool AppProbe::Finish(AppDriver& app) {
  MessageBoxSeen seen = app.AnswerMessageBox();
  app.Close();
  return seen.found && seen.text == L"Conversion Success!" && app.WaitForExit() == 0;
}
