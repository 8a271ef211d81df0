#include "PluginWindows.h"

#include <cwchar>
#include <vector>

namespace {

bool IsDialog(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return wcscmp(name, L"#32770") == 0;
}

template <typename Visit>
BOOL CALLBACK VisitChild(HWND window, LPARAM visit) {
  (*reinterpret_cast<Visit*>(visit))(window);
  return TRUE;
}

template <typename Visit>
BOOL CALLBACK VisitTopLevel(HWND window, LPARAM visit) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  (*reinterpret_cast<Visit*>(visit))(window);
  EnumChildWindows(window, VisitChild<Visit>, visit);
  return TRUE;
}

}  // namespace

PluginWindows::PluginWindows(HMODULE library) : begin_(0), end_(0) {
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(library);
  if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(dos) +
                                                       dos->e_lfanew);
  begin_ = reinterpret_cast<ULONG_PTR>(library);
  end_ = begin_ + nt->OptionalHeader.SizeOfImage;
}

bool PluginWindows::Contains(LONG_PTR address) const {
  ULONG_PTR at = static_cast<ULONG_PTR>(address);
  return at >= begin_ && at < end_;
}

// Both forms of each procedure: a window made by the other character set
// reports a thunk, not its procedure, to one of them.
bool PluginWindows::IsPlugins(HWND window) const {
  auto inside = [&](int index) {
    return Contains(GetWindowLongPtrW(window, index)) || Contains(GetWindowLongPtrA(window, index));
  };
  return inside(GWLP_WNDPROC) || (IsDialog(window) && inside(DWLP_DLGPROC));
}

// Top-level windows, their children, and message-only windows of this
// process.
template <typename Visit>
void PluginWindows::ForEachWindow(Visit& visit) {
  EnumWindows(VisitTopLevel<Visit>, reinterpret_cast<LPARAM>(&visit));
  for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));) {
    VisitTopLevel<Visit>(window, reinterpret_cast<LPARAM>(&visit));
  }
}

bool PluginWindows::AnyLeft() const {
  if (begin_ == 0) return false;
  bool found = false;
  auto visit = [&](HWND window) { found = found || IsPlugins(window); };
  ForEachWindow(visit);
  return found;
}

void PluginWindows::Neutralise(HWND window, LONG_PTR keptProcedure) const {
  if (Contains(keptProcedure)) keptProcedure = 0;
  if (IsDialog(window)) SetWindowLongPtrW(window, DWLP_DLGPROC, 0);
  SetWindowLongPtrW(window, GWLP_WNDPROC,
                    keptProcedure ? keptProcedure : reinterpret_cast<LONG_PTR>(DefWindowProcW));
}

void PluginWindows::Release(HWND owner, LONG_PTR ownerProcedure, HWND winamp,
                            LONG_PTR winampProcedure) const {
  if (owner) EnableWindow(owner, TRUE);
  if (begin_ == 0) return;
  std::vector<HWND> found;
  auto visit = [&](HWND window) {
    if (IsPlugins(window)) found.push_back(window);
  };
  ForEachWindow(visit);
  // First nothing of the library is called any more, then the windows go
  // (destroying one sends it messages). The program's own windows stay, with
  // the procedure they had before (a control: its class's).
  for (HWND window : found) {
    LONG_PTR kept = window == owner    ? ownerProcedure
                    : window == winamp ? winampProcedure
                    : IsChild(owner, window) ? GetClassLongPtrW(window, GCLP_WNDPROC)
                                             : 0;
    Neutralise(window, kept);
  }
  for (HWND window : found) {
    if (window == owner || window == winamp || IsChild(owner, window) || !IsWindow(window)) {
      continue;
    }
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
      DestroyWindow(window);
    } else {
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
  }
}
