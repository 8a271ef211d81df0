#pragma once

#include <string>

#include "AppDriver.h"
#include "Samples.h"

// How the real program answers while it converts.
struct ResponsivenessResult {
  Samples roundTripMs;  // WM_NULL sent to the main window, every 10 ms
  double clickToResult = 0;  // Convert pressed until the result message
};

// The program's private memory (committed, not shared with other
// processes), before and during a conversion.
struct MemoryResult {
  double idleBytes = 0;  // input, plug-in and output chosen, not converting
  double peakBytes = 0;  // highest seen while converting, sampled
  double peakPagefileBytes = 0;  // PeakPagefileUsage, as the system reports it
};

// Starts the real mp3vellumtone.exe, chooses input, plug-in and output in
// its file dialogs, converts at its default settings (320 kbit/s, quality
// 5), and watches it from outside.
class AppProbe {
 public:
  explicit AppProbe(const std::string& pluginPath) : pluginPath_(pluginPath) {}

  bool Responsiveness(const std::string& input, const std::string& output,
                      ResponsivenessResult* result);
  bool Memory(const std::string& input, const std::string& output, MemoryResult* result);

 private:
  bool Launch(AppDriver& app, const std::string& input, const std::string& output);
  // Answers the result message; true if it reported success. Closes the
  // program.
  bool Finish(AppDriver& app);

  std::string pluginPath_;
};

// Committed private memory, region by region, as Windows counts a
// process's private bytes.
double PrivateBytes(HANDLE process);
