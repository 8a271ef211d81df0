#pragma once

#include <windows.h>

#include "GuardedModule.h"
#include "KString.h"
#include "WinampDsp.h"

// The Winamp host (this folder): what makes a Winamp DSP plug-in at home
// here. The call guard, the IPC answers, Winamp's own window and the
// embedding frames are its parts.
// DspPluginHost loads a plug-in library, keeps one of its modules in use,
// and quits and unloads it on replacement and at close. At most one at a
// time; it owns the library and the GuardedModule.
// Every call into the library runs guarded: a plug-in that faults is told
// to the user and dropped, never called again, and its windows with it. The
// library is never freed while a window of the process still calls into it.
// Runs on the window's thread; the worker calls the same library through
// Plugin(), which carries the one "faulted" flag of both.
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
  // forgotten; likewise, without a word, when the user cancels the choice,
  // and after telling the user when the library faults.
  bool Load(const KString& path, HWND parent);
  // False when the module's Quit faulted (the user was told).
  bool Unload();
  // The module's settings window; nothing without a module. False when it
  // faulted: the user was told and no module is in use any more.
  bool Configure();

  // Drops the module after a fault: no Quit, no FreeLibrary, since its
  // state is unknown; state None.
  void Abandon();
  // After a fault on the worker: the plug-in's windows are stopped, the
  // user told, and the module dropped. Nothing when it is gone already.
  void DropAfterFault();
  // "The DSP plug-in crashed and was unloaded: <description or file name>."
  KString CrashMessage() const;
  void TellCrash(HWND owner) const;

  // Winamp's own window, which plug-ins may subclass like their parent.
  void SetWinampWindow(HWND window) { winampWindow = window; }
  // True while the window's thread is inside a call of the plug-in (Init,
  // Config, Quit, ...): what a plug-in sends its parent window then is a
  // query of the plug-in's, and nothing may unload it under its feet.
  bool IsInsideCall() const { return callDepth > 0; }

  winampDSPModule* GetModule() const { return plugin.Module(); }
  GuardedModule& Plugin() { return plugin; }
  // The module's description as wide text, or the library's file name when
  // the module has none; empty without a module.
  KString GetDescription() const { return GetModule() ? description : KString(); }
  const KString& GetFilePath() const { return dspFilePath; }

 private:
  winampDSPHeader* GetHeader();
  // How many modules the header yields, up to a sane limit; -1 on a fault.
  int CountModules(winampDSPHeader* header);
  winampDSPModule* ModuleAt(winampDSPHeader* header, int index);
  int ChooseModule(winampDSPHeader* header, int count, HWND parent);
  KString DescriptionOf(const winampDSPModule* module) const;
  KString FileName() const;
  bool Initialise(HWND parent);
  // Runs a call into the plug-in on the window's thread; false after a
  // fault (here, or earlier on the worker), which drops the plug-in and its
  // windows and tells the user.
  template <typename Call>
  bool Guarded(Call& call);
  void Forget();
  bool LeftInWindowChain() const;
  bool HasFaulted() const { return plugin.HasFaulted(); }

  KString dspFilePath;
  KString description;
  HMODULE dspLibrary;
  GuardedModule plugin;
  HWND winampWindow;
  HWND parentWindow;
  // The windows' procedures before Init: a plug-in that subclassed a window
  // and left its procedure there must stay loaded while the window lives.
  LONG_PTR parentProcedure;
  LONG_PTR winampProcedure;
  int callDepth;
};
