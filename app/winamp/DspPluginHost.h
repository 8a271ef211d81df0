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
// Every call into the library runs guarded: a plug-in that faults is
// abandoned, never called again, and its windows with it; the host says so
// in what it returns, and telling the user is its caller's. The library is
// never freed while a window of the process still calls into it.
// Runs on the window's thread; the worker calls the same library through
// Plugin(), which carries the one "faulted" flag of both.
class DspPluginHost {
 public:
  // What opening a library, or using one of its modules, came to.
  enum class Outcome {
    Opened,   // the library offers one or more modules; none is in use yet
    Loaded,   // the module is initialised and in use
    Invalid,  // no module to use: nothing is in use and the path is forgotten
    Faulted,  // the plug-in faulted and was abandoned
  };
  // Real libraries hold a handful of modules; a header that never returns
  // null is not believed beyond this.
  static constexpr int kMaxModules = 64;
  // No description shown is longer.
  static constexpr size_t kMaxDescription = 256;

  DspPluginHost();
  DspPluginHost(const DspPluginHost&) = delete;
  DspPluginHost& operator=(const DspPluginHost&) = delete;
  ~DspPluginHost();

  // Loads `path`, with `parent` as its modules' owner window, and counts its
  // header's modules, in place of the module in use, which is unloaded first
  // without a word (unload it before to hear of a fault in its Quit).
  // Invalid when the library does not load, lacks "winampDSPGetHeader2", or
  // its header has no module (a module that is not there must not be used).
  Outcome Open(const KString& path, HWND parent);
  // How many modules the opened library offers.
  int ModuleCount() const { return moduleCount; }
  // The descriptions of the opened library's modules, ModuleCount() of
  // them, for the user to choose from; false when it faulted.
  bool DescribeModules(KString* descriptions);
  // Initialises module `index` of the opened library: Loaded; Invalid when
  // the header no longer yields it.
  Outcome Use(int index);
  // Open, then Use(0): for a library of one module, where nobody is asked.
  bool Load(const KString& path, HWND parent);

  // The three ways to drop the library; each forgets its path.
  // The normal way: the module's Quit, then FreeLibrary (unless a window
  // still calls into it). False when Quit faulted: it was abandoned.
  bool Unload();
  // An opened library of which no module was initialised (the user chose
  // none): FreeLibrary without Quit, since Init never ran.
  void FreeUnused();
  // After a fault (in a call here, or on the worker): its windows are
  // stopped, and the library is left loaded without Quit, since its state
  // is unknown. False when there was nothing left to abandon.
  bool Abandon();

  // The plug-in was dropped after a fault, and none was chosen since.
  bool WasUnloaded() const { return HasFaulted() && !GetModule(); }
  // After the user was told: jobs go on without a plug-in.
  void ForgetUnloaded() { plugin.Reset(); }

  // The module's settings window; nothing without a module. False when it
  // faulted: it was abandoned.
  bool Configure();

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
  // What the user knows the library by (as above) after it was abandoned:
  // the file name when it faulted before a module was chosen.
  const KString& GetAbandonedDescription() const { return description; }
  const KString& GetFilePath() const { return dspFilePath; }
  // Why the last Open was Invalid, for the user.
  const KString& GetRefusal() const { return refusal; }

 private:
  HMODULE LoadPluginLibrary();
  void FreeLoaded();
  winampDSPHeader* GetHeader();
  // How many modules the header yields, up to a sane limit; none on a fault.
  int CountModules();
  winampDSPModule* ModuleAt(int index);
  KString DescriptionOf(const winampDSPModule* module);
  KString FileName() const;
  bool Initialise(HWND parent);
  // Runs a call into the plug-in on the window's thread; false after a
  // fault (here, or earlier on the worker), which abandons the plug-in.
  template <typename Call>
  bool Guarded(Call& call);
  // No library, header or module any more, and the path forgotten.
  void Clear();
  bool LeftInWindowChain() const;
  bool HasFaulted() const { return plugin.HasFaulted(); }

  KString dspFilePath;
  KString description;
  KString refusal;
  HMODULE dspLibrary;
  // The opened library's header and how many modules it yields.
  winampDSPHeader* header;
  int moduleCount;
  GuardedModule plugin;
  HWND winampWindow;
  HWND parentWindow;
  // The windows' procedures before Init: a plug-in that subclassed a window
  // and left its procedure there must stay loaded while the window lives.
  LONG_PTR parentProcedure;
  LONG_PTR winampProcedure;
  int callDepth;
};
