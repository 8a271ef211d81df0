#include "DspPluginHost.h"

#include <cstring>

#include "FilePath.h"
#include "HangWatchdog.h"
#include "LoadFailure.h"
#include "PluginExitTrap.h"
#include "PluginThreads.h"
#include "PluginWindows.h"

namespace {

LONG_PTR ProcedureOf(HWND window) { return window ? GetWindowLongPtrW(window, GWLP_WNDPROC) : 0; }

}  // namespace

DspPluginHost::DspPluginHost()
    : dspLibrary(nullptr),
      header(nullptr),
      moduleCount(0),
      winampWindow(nullptr),
      parentWindow(nullptr),
      parentProcedure(0),
      winampProcedure(0),
      callDepth(0) {}

DspPluginHost::~DspPluginHost() { Unload(); }

template <typename Call>
bool DspPluginHost::Guarded(Call& call) {
  ++callDepth;
  bool returned = plugin.Run(call);
  --callDepth;
  if (!returned) Abandon();
  return returned;
}

DspPluginHost::Outcome DspPluginHost::Open(const KString& path, HWND parent) {
  Unload();
  dspFilePath = path;
  parentWindow = parent;
  plugin.Reset();
  description = FileName();
  refusal = KString();
  dspLibrary = LoadPluginLibrary();
  PluginThreads::SetLibrary(dspLibrary);
  header = GetHeader();
  moduleCount = CountModules();
  if (HasFaulted()) return Outcome::Faulted;
  if (moduleCount > 0) return Outcome::Opened;
  if (refusal.IsEmpty()) refusal = L"Its header offers no module (module 0 is null).";
  FreeUnused();
  return Outcome::Invalid;
}

bool DspPluginHost::DescribeModules(KString* descriptions) {
  for (int i = 0; i < moduleCount && !HasFaulted(); ++i) {
    descriptions[i] = DescriptionOf(ModuleAt(i));
  }
  return !HasFaulted();
}

DspPluginHost::Outcome DspPluginHost::Use(int index) {
  winampDSPModule* module = index >= 0 && index < moduleCount ? ModuleAt(index) : nullptr;
  if (HasFaulted()) return Outcome::Faulted;
  if (!module) {
    FreeUnused();
    return Outcome::Invalid;
  }
  plugin.Use(module);
  description = DescriptionOf(module);
  if (HasFaulted()) return Outcome::Faulted;
  return Initialise(parentWindow) ? Outcome::Loaded : Outcome::Faulted;
}

bool DspPluginHost::Load(const KString& path, HWND parent) {
  return Open(path, parent) == Outcome::Opened && Use(0) == Outcome::Loaded;
}

// Its DllMain is the library's first code to run, and may set its own
// floating-point state (Delphi and FreePascal DLLs do).
HMODULE DspPluginHost::LoadPluginLibrary() {
  PluginExitTrap::Install();
  HMODULE library = nullptr;
  DWORD error = 0;
  const wchar_t* attempt = nullptr;
  {
    PluginFpuScope fpu(plugin.SavedFpu());
    PluginExitTrap::TakeAttempt();
    WatchedEntry watched;  // a DllMain that deadlocks gets the question
    library = LoadLibraryW(dspFilePath);
    error = GetLastError();
    attempt = PluginExitTrap::TakeAttempt();
  }
  // The loader ends a DllMain that faults, and the load fails.
  if (!library && attempt) {
    refusal = KString(L"It tried to end the program (") + attempt + L") while it was loading.";
  } else if (!library) {
    refusal = LoadFailure::Describe(dspFilePath, error);
  }
  return library;
}

winampDSPHeader* DspPluginHost::GetHeader() {
  auto getHeader = reinterpret_cast<winampDSPGetHeaderType>(reinterpret_cast<void*>(
      dspLibrary ? GetProcAddress(dspLibrary, "winampDSPGetHeader2") : nullptr));
  winampDSPHeader* found = nullptr;
  auto call = [&] { found = getHeader(); };
  if (getHeader) Guarded(call);
  if (dspLibrary && !getHeader) {
    refusal = L"It has no winampDSPGetHeader2: it is not a Winamp DSP plug-in.";
  } else if (getHeader && !found && !HasFaulted()) {
    refusal = L"Its winampDSPGetHeader2 returned no header (null).";
  }
  return found;
}

winampDSPModule* DspPluginHost::ModuleAt(int index) {
  winampDSPModule* module = nullptr;
  auto call = [&] {
    auto getModule = header->getModule;
    module = getModule ? getModule(index) : nullptr;
  };
  return Guarded(call) ? module : nullptr;
}

int DspPluginHost::CountModules() {
  if (!header) return 0;
  int count = 0;
  while (count < kMaxModules && ModuleAt(count)) ++count;
  return HasFaulted() ? 0 : count;
}

bool DspPluginHost::Initialise(HWND parent) {
  parentProcedure = ProcedureOf(parent);
  winampProcedure = ProcedureOf(winampWindow);
  winampDSPModule* module = GetModule();
  HMODULE library = dspLibrary;
  auto call = [module, parent, library] {
    module->hwndParent = parent;
    module->hDllInstance = library;
    if (module->Init) module->Init(module);
  };
  return Guarded(call);
}

// A plug-in that subclassed its parent window, or Winamp's, and did not
// undo it in Quit still has its procedure in the window's chain; one whose
// settings window outlives Config (or Quit) still has a window of its own:
// its library then stays loaded for as long as the program runs, since
// freeing it would leave the window calling into freed code.
bool DspPluginHost::Unload() {
  winampDSPModule* module = GetModule();
  if (!module) {
    if (dspLibrary) FreeUnused();  // opened, and no module chosen yet
    return true;
  }
  auto call = [module] {
    if (module->Quit) module->Quit(module);
  };
  bool returned = false;
  {
    WatchedEntry watched;  // a Quit that never returns gets the question
    returned = Guarded(call);
  }
  if (!returned) return false;
  if (!LeftInWindowChain()) FreeLoaded();
  Clear();
  return true;
}

bool DspPluginHost::LeftInWindowChain() const {
  return (parentWindow && IsWindow(parentWindow) && ProcedureOf(parentWindow) != parentProcedure) ||
         (winampWindow && IsWindow(winampWindow) && ProcedureOf(winampWindow) != winampProcedure) ||
         PluginWindows(dspLibrary).AnyLeft();
}

// Its DllMain runs once more.
void DspPluginHost::FreeLoaded() {
  PluginFpuScope fpu(plugin.SavedFpu());
  FreeLibrary(dspLibrary);
}

void DspPluginHost::FreeUnused() {
  if (dspLibrary) FreeLoaded();
  Clear();
}

// A settings dialog that faulted left its owner disabled and its own window
// (and timers) calling into the library: none of that may run any more.
bool DspPluginHost::Abandon() {
  if (!dspLibrary) return false;
  PluginWindows(dspLibrary).Release(parentWindow, parentProcedure, winampWindow, winampProcedure);
  // Pinned: its state is unknown, a thread of its own may still be inside
  // it, and freeing it (when the same library is loaded and unloaded again)
  // would unmap code that may still run. It stays until the process ends.
  PluginThreads::Pin(dspLibrary);
  Clear();  // the library stays loaded: nothing of it runs again
  return true;
}

void DspPluginHost::Clear() {
  plugin.Use(nullptr);
  PluginThreads::SetLibrary(nullptr);
  dspLibrary = nullptr;
  header = nullptr;
  moduleCount = 0;
  dspFilePath = KString();
}

bool DspPluginHost::Configure() {
  winampDSPModule* module = GetModule();
  if (!module) return true;
  auto call = [module] {
    if (module->Config) module->Config(module);
  };
  return Guarded(call);
}

// Read inside the guard, and only so far: a description that is no text
// (a bad pointer, no end) gets the plug-in refused or cut short.
KString DspPluginHost::DescriptionOf(const winampDSPModule* module) {
  char text[kMaxDescription + 1] = {};
  auto call = [&] {
    const char* given = module ? module->description : nullptr;
    if (given) memcpy(text, given, strnlen(given, kMaxDescription));
  };
  if (module && Guarded(call) && text[0]) return KString(static_cast<const char*>(text));
  return FileName();
}

KString DspPluginHost::FileName() const { return KString(FilePath::NameOf(dspFilePath)); }
