#pragma once

#include <windows.h>

#include "KString.h"
#include "WinampDsp.h"

// Loads a Winamp DSP plug-in library, keeps its module 0 in use, and quits
// and unloads it on replacement and at close. At most one at a time.
class DspPluginHost {
 public:
  DspPluginHost();
  DspPluginHost(const DspPluginHost&) = delete;
  DspPluginHost& operator=(const DspPluginHost&) = delete;
  ~DspPluginHost();

  // Quits and unloads the module in use, then loads `path` and initialises
  // its module 0 with `parent` as its owner window. When the library does
  // not load, lacks "winampDSPGetHeader2", or its header has no module 0 (a
  // module that is not there must not be used), tells the user "Invalid DSP
  // Plugin!" and returns false with no module in use and the path forgotten.
  bool Load(const KString& path, HWND parent);
  void Unload();
  // The module's settings window; nothing without a module.
  void Configure();

  winampDSPModule* GetModule() const { return dspModule; }
  // The module's description as wide text; empty without a module.
  KString GetDescription() const;
  const KString& GetFilePath() const { return dspFilePath; }

 private:
  void Forget();

  KString dspFilePath;
  HMODULE dspLibrary;
  winampDSPModule* dspModule;
};
