// The example effect that ships with the program: a gain from 0 % to 200 %,
// set in its own settings window while a preview plays.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cwchar>

#include "GainDialog.h"
#include "PluginModule.h"

namespace {

constexpr int kMaxPercent = 200;
std::atomic<int> gainPercent(100);

void ShowGain(HWND dialog) {
  wchar_t text[32];
  swprintf(text, 32, L"Gain: %d%%", gainPercent.load());
  SetDlgItemTextW(dialog, IDC_GAIN_LABEL, text);
}

INT_PTR CALLBACK GainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  HWND slider = GetDlgItem(dialog, IDC_GAIN_SLIDER);
  switch (message) {
    case WM_INITDIALOG:
      SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, kMaxPercent));
      SendMessageW(slider, TBM_SETPOS, TRUE, gainPercent.load());
      ShowGain(dialog);
      return TRUE;
    case WM_HSCROLL:
      gainPercent = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
      ShowGain(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void __cdecl Config(winampDSPModule* module) {
  DialogBoxParamW(module->hDllInstance, MAKEINTRESOURCEW(IDD_GAIN), module->hwndParent,
                  GainDialogProc, 0);
}

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  int gain = gainPercent.load();
  for (int i = 0; i < frames * channels; ++i) {
    int value = samples[i] * gain / 100;
    samples[i] = static_cast<short>(value > 32767 ? 32767 : value < -32768 ? -32768 : value);
  }
  return frames;
}

}  // namespace

char pluginDescription[] = "Vellumtone Gain";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, Config, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
