#include "HangWatchdog.h"

namespace {

constexpr UINT_PTR kLookTimer = 1;
constexpr UINT kLookMs = 250;
// The message text's identifier, as in the system's message boxes.
constexpr int kTextId = 0xFFFF;
const wchar_t kQuestion[] =
    L"The DSP plug-in is not responding. Quit the program?";

std::atomic<DWORD> armedAt{0};  // 0: not armed
std::atomic<bool> asked{false};
WNDPROC dialogProcedure = nullptr;

HWND Child(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
           int x, int y, int width, int height, HFONT font) {
  HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               nullptr, nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void Hide(HWND box) {
  ShowWindow(box, SW_HIDE);
  SetWindowTextW(box, L"");
}

}  // namespace

void HangWatchdog::Start(HWND owner) {
  static bool started = false;
  if (started) return;
  started = true;
  HANDLE thread = CreateThread(nullptr, 0, Watch, owner, 0, nullptr);
  if (thread) CloseHandle(thread);
}

void HangWatchdog::Arm() {
  asked = false;
  armedAt = GetTickCount() | 1;
}

void HangWatchdog::Disarm() { armedAt = 0; }

// A dialog-class window made by hand: a message box of the system would
// look for its template and icons in resources, under the loader lock.
HWND HangWatchdog::MakeQuestion() {
  // Untitled while hidden: whoever looks for the main window by its title
  // must not find this one.
  HWND box = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, L"#32770", L"",
                             WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 380,
                             150, nullptr, nullptr, nullptr, nullptr);
  if (!box) return nullptr;
  dialogProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HangWatchdog::QuestionProcedure)));
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND icon = Child(box, L"STATIC", nullptr, SS_ICON, -1, 16, 16, 32, 32, font);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
  Child(box, L"STATIC", kQuestion, SS_LEFT, kTextId, 64, 20, 290, 40, font);
  Child(box, L"BUTTON", L"&Yes", BS_DEFPUSHBUTTON | WS_TABSTOP, IDYES, 180, 80, 80, 24, font);
  Child(box, L"BUTTON", L"&No", BS_PUSHBUTTON | WS_TABSTOP, IDNO, 270, 80, 80, 24, font);
  SetTimer(box, kLookTimer, kLookMs, nullptr);
  return box;
}

LRESULT CALLBACK HangWatchdog::QuestionProcedure(HWND box, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  if (message == WM_TIMER && wParam == kLookTimer) {
    DWORD since = armedAt;
    bool stuck = since && static_cast<LONG>(GetTickCount() - since) > static_cast<LONG>(HangWatchdog::kNotRespondingMs);
    if (stuck && !asked) {
      asked = true;
      SetWindowTextW(box, L"MP3 Vellumtone");
      SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
      SetForegroundWindow(box);
    } else if (!since && IsWindowVisible(box)) {
      Hide(box);  // it returned meanwhile
    }
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDYES) TerminateProcess(GetCurrentProcess(), 1);
  if ((message == WM_COMMAND && LOWORD(wParam) == IDNO) || message == WM_CLOSE) {
    Hide(box);  // asked once for this call
    return 0;
  }
  return CallWindowProcW(dialogProcedure, box, message, wParam, lParam);
}

DWORD WINAPI HangWatchdog::Watch(void*) {
  if (!MakeQuestion()) return 0;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
