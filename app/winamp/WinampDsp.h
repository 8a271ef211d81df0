#pragma once

#include <windows.h>

// The published Winamp DSP plug-in interface: 32-bit records owned by the
// plug-in; every function is cdecl and gets the module record first.

struct winampDSPModule {
  char* description;  // ANSI text
  HWND hwndParent;
  HINSTANCE hDllInstance;
  void(__cdecl* Config)(winampDSPModule* module);
  int(__cdecl* Init)(winampDSPModule* module);
  // Changes `frames` sample frames in place, with room behind them for twice
  // as many; returns how many frames go on.
  int(__cdecl* ModifySamples)(winampDSPModule* module, short int* samples, int frames, int bits,
                              int channels, int rate);
  void(__cdecl* Quit)(winampDSPModule* module);
  void* userData;
};

struct winampDSPHeader {
  int version;
  char* description;
  winampDSPModule*(__cdecl* getModule)(int index);
};

// The one export of a plug-in library, "winampDSPGetHeader2".
using winampDSPGetHeaderType = winampDSPHeader*(__cdecl*)();
