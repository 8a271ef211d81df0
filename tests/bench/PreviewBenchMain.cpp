// The preview's responsiveness, as a listener hears it: the real program
// plays a steady tone while this program moves its volume slider and
// presses Play and Stop, noting when on Wine's performance counter (which
// runs on the same clock as the Linux side's CLOCK_MONOTONIC_RAW that time-
// stamps the sound server's capture). preview_latency.py then finds in the
// capture when each change was heard.
//
//   vellumtone_preview_bench --events FILE [--moves N] [--cycles N]
//   vellumtone_preview_bench --events FILE --whole
// The second form plays the whole 90 s tone once, for gaps (the script runs
// a conversion-sized load beside it).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "AppDriver.h"
#include "TestEnvironment.h"
#include "TestMp3.h"
#include "TestSignals.h"
#include "resources/resource.h"

namespace {

using TestSignals::kRate;
// Far longer than any delay to be measured: each change is found in the
// capture before the next one is made.
constexpr DWORD kSettleMs = 1500;

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class PreviewProbe {
 public:
  explicit PreviewProbe(FILE* events) : events_(events) {}

  bool Run(const std::wstring& input, int moves, int cycles, bool whole) {
    if (!app_.Launch() || !app_.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", input)) return false;
    Key(VK_END, nullptr);  // volume 100
    Sleep(300);
    if (whole) {
      Press(IDC_PLAY, "whole_play");
      Sleep(1000);
      WaitUntilIdle(90000);
      Note("whole_end", Now());
    }
    for (int cycle = 0; !whole && cycle < cycles; ++cycle) {
      Press(IDC_PLAY, "play");
      Sleep(kSettleMs);
      for (int move = 0; cycle == 0 && move < moves; ++move) {
        Key(VK_HOME, "mute");
        Sleep(kSettleMs);
        Key(VK_END, "unmute");
        Sleep(kSettleMs);
      }
      Press(IDC_STOP, "stop");
      WaitUntilIdle(10000);
      Sleep(kSettleMs);
    }
    app_.Close();
    return app_.WaitForExit() == 0;
  }

 private:
  void WaitUntilIdle(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs && app_.IsEnabled(IDC_STOP); waited += 20) Sleep(20);
  }

  void Note(const char* event, double at) { std::fprintf(events_, "%s %.6f\n", event, at); }

  void Press(int id, const char* event) {
    double at = Now();
    app_.Click(id);
    Note(event, at);
  }

  void Key(WPARAM key, const char* event) {
    double at = Now();
    PostMessageW(app_.Control(IDC_VOLUME), WM_KEYDOWN, key, 0);
    if (event) Note(event, at);
  }

  AppDriver app_;
  FILE* events_;
};

}  // namespace

int main(int argc, char** argv) {
  std::string eventsPath;
  int moves = 24, cycles = 12;
  bool whole = false;
  for (int i = 1; i + 1 < argc; ++i) {
    std::string name = argv[i];
    if (name == "--events") eventsPath = argv[i + 1];
    if (name == "--moves") moves = std::atoi(argv[i + 1]);
    if (name == "--cycles") cycles = std::atoi(argv[i + 1]);
  }
  for (int i = 1; i < argc; ++i) whole = whole || std::string(argv[i]) == "--whole";
  if (eventsPath.empty()) {
    std::fprintf(stderr, "usage: vellumtone_preview_bench --events FILE [--moves N] [--cycles N]\n");
    return 2;
  }
  // A steady tone in both channels, long enough for every move (and for
  // more than a minute of preview in the whole form).
  std::vector<int16_t> left = TestSignals::ToneIn(0, 90 * kRate, 440, 16000);
  std::vector<int16_t> right = TestSignals::ToneIn(1, 90 * kRate, 440, 16000);
  for (size_t i = 0; i < left.size(); ++i) left[i] = static_cast<int16_t>(left[i] + right[i]);
  if (!TestMp3::Write("preview_tone.mp3", left, kRate, 2)) return 1;
  wchar_t input[MAX_PATH];
  GetFullPathNameW(L"preview_tone.mp3", MAX_PATH, input, nullptr);
  FILE* events = std::fopen(TestEnvironment::WindowsPath(eventsPath).c_str(), "w");
  if (!events) return 1;
  PreviewProbe probe(events);
  bool ok = probe.Run(input, moves, cycles, whole);
  std::fclose(events);
  return ok ? 0 : 1;
}
