// Settings windows as real plug-ins make them, chosen when built (SETTINGS):
// - FAULTING_DIALOG: Config runs a modal dialog (DialogBox) whose procedure
//   faults on its first timer message, as a broken MFC or Delphi settings
//   page may;
// - OWN_LOOP: Config shows a window and runs its own message loop until the
//   window is closed, without disabling the program's window;
// - MODELESS: Config shows a window and returns; the window outlives it,
//   and Quit forgets to destroy it;
// - OWN_LOOP_FAULT: as OWN_LOOP, and ModifySamples faults once the window
//   is open (on the worker, while Config's loop runs).
// The window answers kAreYouThere with kHere, so a test can see that the
// library is still there behind it.
#include <windows.h>

#include "PluginModule.h"

#define FAULTING_DIALOG 1
#define OWN_LOOP 2
#define MODELESS 3
#define OWN_LOOP_FAULT 4

namespace {

constexpr UINT kAreYouThere = WM_APP + 7;
constexpr LRESULT kHere = 4242;
const wchar_t kClassName[] = L"VellumtoneTestSettings";
constexpr bool kOwnLoop = SETTINGS == OWN_LOOP || SETTINGS == OWN_LOOP_FAULT;
volatile LONG settingsOpen = 0;

INT_PTR CALLBACK FaultingDialog(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetWindowTextW(dialog, L"Vellumtone test settings");
    SetTimer(dialog, 1, 100, nullptr);
    return TRUE;
  }
  if (message == WM_TIMER) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  return FALSE;
}

LRESULT CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kAreYouThere) return kHere;
  if (message == WM_DESTROY && kOwnLoop) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

// A dialog template in memory: a 200 x 80 popup with a caption, no controls.
struct DialogTemplate {
  DLGTEMPLATE header;
  WORD menu, windowClass, title;
};

void RunFaultingDialog(winampDSPModule* module) {
  static DialogTemplate dialog = {
      {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 10, 10, 200, 80}, 0, 0, 0};
  DialogBoxIndirectParamW(module->hDllInstance, &dialog.header, module->hwndParent, FaultingDialog,
                          0);
}

HWND ShowSettingsWindow(winampDSPModule* module) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = SettingsProc;
  windowClass.hInstance = module->hDllInstance;
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kClassName, L"Vellumtone test settings",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300, 160,
                                module->hwndParent, nullptr, module->hDllInstance, nullptr);
  return window;
}

void __cdecl Config(winampDSPModule* module) {
  if (SETTINGS == FAULTING_DIALOG) {
    RunFaultingDialog(module);
    return;
  }
  HWND window = ShowSettingsWindow(module);
  if (!kOwnLoop || !window) return;
  settingsOpen = 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  if (SETTINGS == OWN_LOOP_FAULT && settingsOpen) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  return frames;
}

}  // namespace

#define VT_TEXT(x) #x
#define VT_KIND(n) VT_TEXT(n)
char pluginDescription[] = "Vellumtone test: settings " VT_KIND(SETTINGS);
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, Config, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
