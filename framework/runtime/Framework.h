#pragma once

#include <windows.h>

class KFont;
class KFrameworkState;

// Start and stop nest: only the outermost pair sets up and frees the
// process-wide state, the default font and the window-creation lock.
void StartFramework(HINSTANCE instance);
void StopFramework();

// Made on first use; may be called before StartFramework.
KFrameworkState* GetFrameworkState();

// The stock GUI font, wrapped without ownership; made on first use.
KFont* GetStockGuiFont();

// The default font as it should look at `dpi`: the stock font where it
// has that size already (always at 96 DPI), else a copy of it scaled to
// `dpi`, made on first use and kept until the last stop. Null only when
// there is no stock font.
KFont* GetGuiFontForDpi(UINT dpi);
// Whether `font` is the default font at some scale.
bool IsGuiFont(HFONT font);

// Serialises window creation; exists while the framework is started.
CRITICAL_SECTION* GetCreationLock();
