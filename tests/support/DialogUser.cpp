#include "DialogUser.h"

namespace {

constexpr int kFileNameCombo = 0x47C;  // the explorer-style dialog's file-name box
constexpr int kFileNameEdit = 0x480;   // the older style's

HWND FileNameBox(HWND dialog) {
  HWND combo = GetDlgItem(dialog, kFileNameCombo);
  if (!combo) return GetDlgItem(dialog, kFileNameEdit);
  HWND inner = FindWindowExW(combo, nullptr, L"ComboBox", nullptr);
  HWND edit = FindWindowExW(inner ? inner : combo, nullptr, L"Edit", nullptr);
  return edit ? edit : combo;
}

HWND PopupOf(HWND dialog) {
  HWND popup = nullptr;
  while ((popup = FindWindowExW(nullptr, popup, L"#32770", nullptr))) {
    if (popup != dialog && GetWindow(popup, GW_OWNER) == dialog && IsWindowVisible(popup)) {
      return popup;
    }
  }
  return nullptr;
}

}  // namespace

HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* caption, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND window = FindWindowW(windowClass, caption);
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

HWND WaitForDialog(const wchar_t* caption, int timeoutMs) {
  return WaitForWindow(L"#32770", caption, timeoutMs);
}

DialogUser::DialogUser(const wchar_t* title, const wchar_t* typed)
    : title_(title),
      typed_(typed ? typed : L""),
      cancels_(typed == nullptr),
      thread_([this] { Use(); }) {}

DialogUser::~DialogUser() { Finish(); }

void DialogUser::Finish() {
  if (thread_.joinable()) thread_.join();
}

void DialogUser::Use() {
  HWND dialog = WaitForDialog(title_.c_str());
  if (!dialog) return;
  Sleep(200);  // its controls are filled after it shows
  HWND box = FileNameBox(dialog);
  wchar_t text[1024] = {};
  GetWindowTextW(box, text, 1024);
  initialText = text;
  if (cancels_) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed_.c_str()));
  // Posted: OK may open a modal message box. A slow machine may take a
  // while to close the dialog.
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  for (int waited = 0; waited < 20000; waited += 50) {
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) {
      closedByOk = true;
      return;
    }
    if (HWND popup = PopupOf(dialog)) {
      sawMessageBox = true;
      PostMessageW(popup, WM_COMMAND, IDOK, 0);
      Sleep(300);
      break;
    }
    Sleep(50);
  }
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}
