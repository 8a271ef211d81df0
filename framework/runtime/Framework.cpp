#include "Framework.h"

#include <commctrl.h>

#include <malloc.h>
#include <new>

#include "KFont.h"
#include "KFrameworkState.h"

namespace {

LONG useCount = 0;
CRITICAL_SECTION creationLock;
KFrameworkState* state = nullptr;
KFont* stockGuiFont = nullptr;

using HeapSetInformationFunction = BOOL(WINAPI*)(HANDLE, HEAP_INFORMATION_CLASS, PVOID, SIZE_T);

// Switches the runtime library's heap to the low-fragmentation heap where
// the system offers it; older systems lack the function, which is fine.
void UseLowFragmentationHeap() {
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (!kernel) return;
  auto heapSetInformation = reinterpret_cast<HeapSetInformationFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "HeapSetInformation")));
  if (!heapSetInformation) return;
  ULONG lowFragmentation = 2;
  heapSetInformation(reinterpret_cast<HANDLE>(_get_heap_handle()), HeapCompatibilityInformation,
                     &lowFragmentation, sizeof lowFragmentation);
}

void RegisterCommonControls() {
  INITCOMMONCONTROLSEX controls;
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  InitCommonControlsEx(&controls);
}

}  // namespace

void StartFramework(HINSTANCE instance) {
  if (useCount == 0) {
    UseLowFragmentationHeap();
    GetFrameworkState()->SetInstanceHandle(instance);
    RegisterCommonControls();
    InitializeCriticalSection(&creationLock);
  }
  ++useCount;
}

void StopFramework() {
  if (--useCount != 0) return;
  DeleteCriticalSection(&creationLock);
  delete stockGuiFont;
  stockGuiFont = nullptr;
  delete state;
  state = nullptr;
}

KFrameworkState* GetFrameworkState() {
  if (!state) state = new (std::nothrow) KFrameworkState;
  return state;
}

KFont* GetStockGuiFont() {
  if (!stockGuiFont) {
    stockGuiFont =
        new (std::nothrow) KFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), false);
  }
  return stockGuiFont;
}

CRITICAL_SECTION* GetCreationLock() { return &creationLock; }
