// A dialog from a resource template, shown modally until the test driver on
// the Linux side has taken its screenshot. Argument: a marker file that this
// program creates once the dialog is on screen; the driver deletes it when
// done, and the dialog then closes.
#include <windows.h>

#include <cstdio>
#include <string>

#include "SmokeDialog.h"
#include "TestEnvironment.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr int kPollMs = 100;
constexpr int kGiveUpMs = 60000;

std::string markerPath;
bool markerWritten = false;
int waitedMs = 0;

bool MarkerExists() {
  return GetFileAttributesA(markerPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Poll(HWND dialog) {
  waitedMs += kPollMs;
  if (waitedMs > kGiveUpMs) {
    EndDialog(dialog, 3);
  } else if (!markerWritten && IsWindowVisible(dialog)) {
    FILE* marker = std::fopen(markerPath.c_str(), "w");
    if (marker) std::fclose(marker);
    markerWritten = marker != nullptr;
  } else if (markerWritten && !MarkerExists()) {
    EndDialog(dialog, 0);
  }
}

INT_PTR CALLBACK SmokeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextW(dialog, IDC_SMOKE_EDIT, L"Typed into the edit box");
      SetTimer(dialog, kPollTimer, kPollMs, nullptr);
      return TRUE;
    case WM_TIMER:
      Poll(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 2);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 4;
  markerPath = TestEnvironment::WindowsPath(argv[1]);
  return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr),
                                          MAKEINTRESOURCEW(IDD_SMOKE), nullptr,
                                          SmokeDialogProc, 0));
}
