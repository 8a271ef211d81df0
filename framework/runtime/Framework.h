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

// Serialises window creation; exists while the framework is started.
CRITICAL_SECTION* GetCreationLock();
