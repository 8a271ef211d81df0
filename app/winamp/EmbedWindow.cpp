#include "EmbedWindow.h"

namespace {
const wchar_t kClassName[] = L"VellumtoneEmbed";
}  // namespace

HWND EmbedWindow::owner_ = nullptr;

void EmbedWindow::SetOwner(HWND owner) { owner_ = owner; }

HWND __cdecl EmbedWindow::Create(embedWindowState* state) {
  if (!state || !RegisterOnce()) return nullptr;
  const RECT& r = state->r;
  bool placed = r.right > r.left && r.bottom > r.top;
  HWND frame = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_OVERLAPPEDWINDOW,
                               placed ? r.left : CW_USEDEFAULT, placed ? r.top : CW_USEDEFAULT,
                               placed ? r.right - r.left : 300, placed ? r.bottom - r.top : 200,
                               owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
  state->me = frame;
  return frame;
}

bool EmbedWindow::RegisterOnce() {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &existing)) return true;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0;
}

// The plug-in's window fills the frame.
LRESULT CALLBACK EmbedWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ShowWindow(window, SW_HIDE);
    return 0;
  }
  if (message == WM_SIZE) {
    HWND content = GetWindow(window, GW_CHILD);
    if (content) MoveWindow(content, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
