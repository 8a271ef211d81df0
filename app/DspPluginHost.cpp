#include "DspPluginHost.h"


#include "FilePath.h"
#include "ModuleChooser.h"
#include "PluginCallGuard.h"
#include "PluginDpiScope.h"

namespace {

// Real libraries hold a handful of modules; a header that never returns
// null is not believed beyond this.
constexpr int kMaxModules = 64;

LONG_PTR ProcedureOf(HWND window) { return window ? GetWindowLongPtrW(window, GWLP_WNDPROC) : 0; }

}  // namespace

DspPluginHost::DspPluginHost()
    : dspLibrary(nullptr),
      dspModule(nullptr),
      winampWindow(nullptr),
      parentWindow(nullptr),
      parentProcedure(0),
      winampProcedure(0),
      callDepth(0),
      faulted(false) {}

DspPluginHost::~DspPluginHost() { Unload(); }

template <typename Call>
bool DspPluginHost::Guarded(Call& call) {
  ++callDepth;
  bool returned;
  {
    PluginDpiScope dpi;
    returned = PluginCallGuard::Run(call);
  }
  --callDepth;
  if (returned) return true;
  faulted = true;
  TellCrash(parentWindow);
  Abandon();
  return false;
}

bool DspPluginHost::Load(const KString& path, HWND parent) {
  Unload();
  dspFilePath = path;
  parentWindow = parent;
  faulted = false;
  description = FileName();
  dspLibrary = LoadLibraryW(dspFilePath);
  winampDSPHeader* header = GetHeader();
  int count = faulted ? -1 : CountModules(header);
  if (count == 0) {
    MessageBoxW(parent, L"Invalid DSP Plugin!", L"Error", MB_ICONERROR);
    Forget();
    return false;
  }
  int index = count > 1 ? ChooseModule(header, count, parent) : count - 1;
  winampDSPModule* module = index >= 0 && !faulted ? ModuleAt(header, index) : nullptr;
  if (!module) {
    if (!faulted) Forget();
    return false;
  }
  dspModule = module;
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
  return faulted ? -1 : count;
}

int DspPluginHost::ChooseModule(winampDSPHeader* header, int count, HWND parent) {
  KString descriptions[kMaxModules];
  for (int i = 0; i < count && !faulted; ++i) descriptions[i] = DescriptionOf(ModuleAt(header, i));
  return faulted ? -1 : ModuleChooser::Choose(parent, descriptions, count);
}

bool DspPluginHost::Initialise(HWND parent) {
  parentProcedure = ProcedureOf(parent);
  winampProcedure = ProcedureOf(winampWindow);
  dspModule->hwndParent = parent;
  dspModule->hDllInstance = dspLibrary;
  auto call = [this] {
    if (dspModule->Init) dspModule->Init(dspModule);
  };
  return Guarded(call);
}

// A plug-in that subclassed its parent window, or Winamp's, and did not
// undo it in Quit still has its procedure in the window's chain: its
// library stays loaded for as long as the program runs, since freeing it
// would leave the window calling into freed code.
bool DspPluginHost::Unload() {
  if (!dspModule) return true;
  auto call = [this] {
    if (dspModule->Quit) dspModule->Quit(dspModule);
  };
  if (!Guarded(call)) return false;
  if (!LeftInWindowChain()) FreeLibrary(dspLibrary);
  dspModule = nullptr;
  dspLibrary = nullptr;
  return true;
}

bool DspPluginHost::LeftInWindowChain() const {
  return (parentWindow && IsWindow(parentWindow) && ProcedureOf(parentWindow) != parentProcedure) ||
         (winampWindow && IsWindow(winampWindow) && ProcedureOf(winampWindow) != winampProcedure);
}

bool DspPluginHost::Configure() {
  if (!dspModule || !dspModule->Config) return true;
  winampDSPModule* module = dspModule;
  auto call = [module] { module->Config(module); };
  return Guarded(call);
}

void DspPluginHost::Abandon() {
  dspModule = nullptr;
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
  dspModule = nullptr;
  if (dspLibrary) FreeLibrary(dspLibrary);
  dspLibrary = nullptr;
  dspFilePath = KString();
}
