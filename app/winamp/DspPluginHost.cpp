#include "DspPluginHost.h"


#include "FilePath.h"
#include "ModuleChooser.h"
#include "PluginWindows.h"

namespace {

// Real libraries hold a handful of modules; a header that never returns
// null is not believed beyond this.
constexpr int kMaxModules = 64;

LONG_PTR ProcedureOf(HWND window) { return window ? GetWindowLongPtrW(window, GWLP_WNDPROC) : 0; }

}  // namespace

DspPluginHost::DspPluginHost()
    : dspLibrary(nullptr),
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
  if (returned) return true;
  DropAfterFault();
  return false;
}

bool DspPluginHost::Load(const KString& path, HWND parent) {
  Unload();
  dspFilePath = path;
  parentWindow = parent;
  plugin.Reset();
  description = FileName();
  dspLibrary = LoadLibraryW(dspFilePath);
  winampDSPHeader* header = GetHeader();
  int count = HasFaulted() ? -1 : CountModules(header);
  if (count == 0) {
    MessageBoxW(parent, L"Invalid DSP Plugin!", L"Error", MB_ICONERROR);
    Forget();
    return false;
  }
  int index = count > 1 ? ChooseModule(header, count, parent) : count - 1;
  winampDSPModule* module = index >= 0 && !HasFaulted() ? ModuleAt(header, index) : nullptr;
  if (!module) {
    if (!HasFaulted()) Forget();
    return false;
  }
  plugin.Use(module);
  description = DescriptionOf(module);
  return Initialise(parent);
}

winampDSPHeader* DspPluginHost::GetHeader() {
  auto getHeader = reinterpret_cast<winampDSPGetHeaderType>(reinterpret_cast<void*>(
      dspLibrary ? GetProcAddress(dspLibrary, "winampDSPGetHeader2") : nullptr));
  winampDSPHeader* header = nullptr;
  auto call = [&] { header = getHeader(); };
  if (getHeader) Guarded(call);
  return header;
}

winampDSPModule* DspPluginHost::ModuleAt(winampDSPHeader* header, int index) {
  winampDSPModule* module = nullptr;
  auto call = [&] { module = header->getModule(index); };
  return Guarded(call) ? module : nullptr;
}

int DspPluginHost::CountModules(winampDSPHeader* header) {
  if (!header || !header->getModule) return 0;
  int count = 0;
  while (count < kMaxModules && ModuleAt(header, count)) ++count;
  return HasFaulted() ? -1 : count;
}

int DspPluginHost::ChooseModule(winampDSPHeader* header, int count, HWND parent) {
  KString descriptions[kMaxModules];
  for (int i = 0; i < count && !HasFaulted(); ++i) {
    descriptions[i] = DescriptionOf(ModuleAt(header, i));
  }
  return HasFaulted() ? -1 : ModuleChooser::Choose(parent, descriptions, count);
}

bool DspPluginHost::Initialise(HWND parent) {
  parentProcedure = ProcedureOf(parent);
  winampProcedure = ProcedureOf(winampWindow);
  winampDSPModule* module = GetModule();
  module->hwndParent = parent;
  module->hDllInstance = dspLibrary;
  auto call = [module] {
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
  if (!module) return true;
  auto call = [module] {
    if (module->Quit) module->Quit(module);
  };
  if (!Guarded(call)) return false;
  if (!LeftInWindowChain()) FreeLibrary(dspLibrary);
  plugin.Use(nullptr);
  dspLibrary = nullptr;
  return true;
}

bool DspPluginHost::LeftInWindowChain() const {
  return (parentWindow && IsWindow(parentWindow) && ProcedureOf(parentWindow) != parentProcedure) ||
         (winampWindow && IsWindow(winampWindow) && ProcedureOf(winampWindow) != winampProcedure) ||
         PluginWindows(dspLibrary).AnyLeft();
}

bool DspPluginHost::Configure() {
  winampDSPModule* module = GetModule();
  if (!module || !module->Config) return true;
  auto call = [module] { module->Config(module); };
  return Guarded(call);
}

// A settings dialog that faulted left its owner disabled and its own window
// (and timers) calling into the library: none of that may run any more.
void DspPluginHost::DropAfterFault() {
  if (!dspLibrary) return;
  PluginWindows(dspLibrary).Release(parentWindow, parentProcedure, winampWindow, winampProcedure);
  TellCrash(parentWindow);
  Abandon();
}

void DspPluginHost::Abandon() {
  plugin.Use(nullptr);
  dspLibrary = nullptr;  // left loaded: nothing of it runs again
  dspFilePath = KString();
}

KString DspPluginHost::CrashMessage() const {
  return KString(L"The DSP plug-in crashed and was unloaded: ") + description + L".";
}

void DspPluginHost::TellCrash(HWND owner) const {
  MessageBoxW(owner, CrashMessage(), L"Error", MB_OK | MB_ICONERROR);
}

KString DspPluginHost::DescriptionOf(const winampDSPModule* module) const {
  if (module && module->description) return KString(static_cast<const char*>(module->description));
  return FileName();
}

KString DspPluginHost::FileName() const { return KString(FilePath::NameOf(dspFilePath)); }

void DspPluginHost::Forget() {
  plugin.Use(nullptr);
  if (dspLibrary) FreeLibrary(dspLibrary);
  dspLibrary = nullptr;
  dspFilePath = KString();
}
