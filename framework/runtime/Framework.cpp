#include "Framework.h"

#include <commctrl.h>

#include <malloc.h>
#include <new>

#include "KDpi.h"
#include "KFont.h"
#include "KFrameworkState.h"

namespace {

LONG useCount = 0;
CRITICAL_SECTION creationLock;
KFrameworkState* state = nullptr;
KFont* stockGuiFont = nullptr;

// The default font at the scales other than the stock font's, one per
// scale in use (a few displays at most); owned, freed by the last stop.
constexpr int kMaxScaledFonts = 16;
constexpr int kGuiFontPoints = 8;
struct ScaledFont {
  UINT dpi;
  KFont* font;
};
ScaledFont scaledFonts[kMaxScaledFonts] = {};
int scaledFontCount = 0;

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

KFont* MakeScaledGuiFont(HFONT stock, UINT dpi) {
  LOGFONTW font;
  if (!GetObjectW(stock, sizeof font, &font)) return nullptr;
  font.lfHeight = KDpi::FontHeight(kGuiFontPoints, dpi);
  font.lfWidth = 0;
  HFONT scaled = CreateFontIndirectW(&font);
  if (!scaled) return nullptr;
  KFont* wrapper = new (std::nothrow) KFont(scaled, true);
  if (!wrapper) DeleteObject(scaled);
  return wrapper;
}

// True when the stock font already has the height the scale asks for, as
// it has at 96 DPI (and wherever the system made it at that scale).
bool StockFontFits(HFONT stock, UINT dpi) {
  LOGFONTW font;
  return GetObjectW(stock, sizeof font, &font) &&
         font.lfHeight == KDpi::FontHeight(kGuiFontPoints, dpi);
}

void FreeScaledFonts() {
  for (int i = 0; i < scaledFontCount; ++i) delete scaledFonts[i].font;
  scaledFontCount = 0;
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
  FreeScaledFonts();
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

KFont* GetGuiFontForDpi(UINT dpi) {
  KFont* stock = GetStockGuiFont();
  if (!stock || StockFontFits(stock->GetHFont(), dpi)) return stock;
  for (int i = 0; i < scaledFontCount; ++i) {
    if (scaledFonts[i].dpi == dpi) return scaledFonts[i].font;
  }
  if (scaledFontCount == kMaxScaledFonts) return stock;
  KFont* scaled = MakeScaledGuiFont(stock->GetHFont(), dpi);
  if (!scaled) return stock;
  scaledFonts[scaledFontCount++] = {dpi, scaled};
  return scaled;
}

bool IsGuiFont(HFONT font) {
  if (!font) return false;
  if (stockGuiFont && stockGuiFont->GetHFont() == font) return true;
  for (int i = 0; i < scaledFontCount; ++i) {
    if (scaledFonts[i].font->GetHFont() == font) return true;
  }
  return false;
}
