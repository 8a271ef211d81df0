#pragma once

// Runs the calling thread's message loop until WM_QUIT (a KWindow used as a
// main window posts it when it is destroyed); returns the quit's exit code.
int RunMessageLoop();
