#pragma once

#include <windows.h>

#include "KString.h"
#include "WinampDsp.h"

// Loads a Winamp DSP plug-in library, keeps one of its modules in use, and
// quits and unloads it on replacement and at close. At most one at a time.
class DspPluginHost {
 public:
  DspPluginHost();
  DspPluginHost(const DspPluginHost&) = delete;
  DspPluginHost& operator=(const DspPluginHost&) = delete;
  ~DspPluginHost();

  // Quits and unloads the module in use, then loads `path` and initialises
  // one of its modules with `parent` as its owner window: module 0, or the
  // one the user picks when the library offers several. When the library
  // does not load, lacks "winampDSPGetHeader2", or its header has no module
  // (a module that is not there must not be used), tells the user "Invalid
  // DSP Plugin!" and returns false with no module in use and the path
  // forgotten; likewise, without a word, when the user cancels the choice.
  bool Load(const KString& path, HWND parent);
  void Unload();
  // The module's settings window; nothing without a module.
  void Configure();

  // Winamp's own window, which plug-ins may subclass like their parent.
  void SetWinampWindow(HWND window) { winampWindow = window; }
  // True while the window's thread is inside Init, Config or Quit: what a
  // plug-in sends its parent window then is a query of the plug-in's.
  bool IsInsideCall() const { return callDepth > 0; }

  winampDSPModule* GetModule() const { return dspModule; }
  // The module's description as wide text, or the library's file name when
  // the module has none; empty without a module.
  KString GetDescription() const;
  const KString& GetFilePath() const { return dspFilePath; }

 private:
  // How many modules the header yields, up to a sane limit.
  static int CountModules(winampDSPHeader* header);
  int ChooseModule(winampDSPHeader* header, int count, HWND parent);
  KString DescriptionOf(const winampDSPModule* module) const;
  void Initialise(HWND parent);
  void Forget();
  bool LeftInWindowChain() const;

  KString dspFilePath;
  HMODULE dspLibrary;
  winampDSPModule* dspModule;
  HWND winampWindow;
  HWND parentWindow;
  // The windows' procedures before Init: a plug-in that subclassed a window
  // and left its procedure there must stay loaded while the window lives.
  LONG_PTR parentProcedure;
  LONG_PTR winampProcedure;
  int callDepth;
};
