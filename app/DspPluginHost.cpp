#include "DspPluginHost.h"

#include <cwchar>

#include "ModuleChooser.h"

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
      callDepth(0) {}

DspPluginHost::~DspPluginHost() { Unload(); }

bool DspPluginHost::Load(const KString& path, HWND parent) {
  Unload();
  dspFilePath = path;
  dspLibrary = LoadLibraryW(dspFilePath);
  auto getHeader = reinterpret_cast<winampDSPGetHeaderType>(reinterpret_cast<void*>(
      dspLibrary ? GetProcAddress(dspLibrary, "winampDSPGetHeader2") : nullptr));
  winampDSPHeader* header = getHeader ? getHeader() : nullptr;
  int count = CountModules(header);
  if (count == 0) {
    MessageBoxW(parent, L"Invalid DSP Plugin!", L"Error", MB_ICONERROR);
    Forget();
    return false;
  }
  int index = count > 1 ? ChooseModule(header, count, parent) : 0;
  dspModule = index >= 0 ? header->getModule(index) : nullptr;
  if (!dspModule) {
    Forget();
    return false;
  }
  Initialise(parent);
  return true;
}

int DspPluginHost::CountModules(winampDSPHeader* header) {
  if (!header || !header->getModule) return 0;
  int count = 0;
  while (count < kMaxModules && header->getModule(count)) ++count;
  return count;
}

int DspPluginHost::ChooseModule(winampDSPHeader* header, int count, HWND parent) {
  KString descriptions[kMaxModules];
  for (int i = 0; i < count; ++i) descriptions[i] = DescriptionOf(header->getModule(i));
  return ModuleChooser::Choose(parent, descriptions, count);
}

void DspPluginHost::Initialise(HWND parent) {
  parentWindow = parent;
  parentProcedure = ProcedureOf(parent);
  winampProcedure = ProcedureOf(winampWindow);
  dspModule->hwndParent = parent;
  dspModule->hDllInstance = dspLibrary;
  ++callDepth;
  if (dspModule->Init) dspModule->Init(dspModule);
  --callDepth;
}

// A plug-in that subclassed its parent window, or Winamp's, and did not
// undo it in Quit still has its procedure in the window's chain: its
// library stays loaded for as long as the program runs, since freeing it
// would leave the window calling into freed code.
void DspPluginHost::Unload() {
  if (!dspModule) return;
  ++callDepth;
  if (dspModule->Quit) dspModule->Quit(dspModule);
  --callDepth;
  if (!LeftInWindowChain()) FreeLibrary(dspLibrary);
  dspModule = nullptr;
  dspLibrary = nullptr;
}

bool DspPluginHost::LeftInWindowChain() const {
  return (parentWindow && IsWindow(parentWindow) && ProcedureOf(parentWindow) != parentProcedure) ||
         (winampWindow && IsWindow(winampWindow) && ProcedureOf(winampWindow) != winampProcedure);
}

void DspPluginHost::Configure() {
  if (!dspModule || !dspModule->Config) return;
  ++callDepth;
  dspModule->Config(dspModule);
  --callDepth;
}

KString DspPluginHost::GetDescription() const {
  return dspModule ? DescriptionOf(dspModule) : KString();
}

KString DspPluginHost::DescriptionOf(const winampDSPModule* module) const {
  if (module && module->description) return KString(static_cast<const char*>(module->description));
  const wchar_t* path = dspFilePath;
  const wchar_t* name = path ? wcsrchr(path, L'\\') : nullptr;
  const wchar_t* other = path ? wcsrchr(path, L'/') : nullptr;
  if (other > name) name = other;
  return name ? KString(name + 1) : dspFilePath;
}

void DspPluginHost::Forget() {
  dspModule = nullptr;
  if (dspLibrary) FreeLibrary(dspLibrary);
  dspLibrary = nullptr;
  dspFilePath = KString();
}
