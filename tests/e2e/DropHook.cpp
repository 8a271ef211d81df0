// Loaded into the program by a message hook, so that a test can drop files
// on it as a file manager does: the file list goes into a global memory
// block of the program's own, and WM_DROPFILES is posted with it. The list
// comes from the test through a named shared block: a DWORD size, then the
// DROPFILES structure with its paths; the hook clears the size once posted.
#include <windows.h>

#include <cstring>

extern "C" __declspec(dllexport) LRESULT CALLBACK DropHookProc(int code, WPARAM wParam,
                                                               LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  static const UINT request = RegisterWindowMessageW(L"VellumtoneTestDropRequest");
  if (code == HC_ACTION && wParam == PM_REMOVE && message->message == request) {
    HANDLE shared = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"VellumtoneTestDrop");
    DWORD* view = shared ? static_cast<DWORD*>(MapViewOfFile(shared, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                         : nullptr;
    if (view && view[0] > 0) {
      HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, view[0]);
      if (void* block = drop ? GlobalLock(drop) : nullptr) {
        memcpy(block, view + 1, view[0]);
        GlobalUnlock(drop);
        PostMessageW(message->hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
      }
      InterlockedExchange(reinterpret_cast<volatile LONG*>(view), 0);
    }
    if (view) UnmapViewOfFile(view);
    if (shared) CloseHandle(shared);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
