#include "WinampWindow.h"

#include "WinampIpc.h"

namespace {
const wchar_t kClassName[] = L"Winamp v1.x";
}  // namespace

WinampWindow::WinampWindow() : window_(nullptr) {}

WinampWindow::~WinampWindow() { Destroy(); }

bool WinampWindow::Create(WinampIpc* ipc) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);  // fails harmlessly when already registered
  window_ = CreateWindowExW(0, kClassName, L"MP3 Vellumtone", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ipc));
  return window_ != nullptr;
}

void WinampWindow::Destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
}

LRESULT CALLBACK WinampWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  auto* ipc = reinterpret_cast<WinampIpc*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_WA_IPC && ipc) return ipc->Answer(wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}
