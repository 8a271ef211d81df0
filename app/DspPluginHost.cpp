#include "DspPluginHost.h"

DspPluginHost::DspPluginHost() : dspLibrary(nullptr), dspModule(nullptr) {}

DspPluginHost::~DspPluginHost() { Unload(); }

bool DspPluginHost::Load(const KString& path, HWND parent) {
  Unload();
  dspFilePath = path;
  dspLibrary = LoadLibraryW(dspFilePath);
  auto getHeader = reinterpret_cast<winampDSPGetHeaderType>(reinterpret_cast<void*>(
      dspLibrary ? GetProcAddress(dspLibrary, "winampDSPGetHeader2") : nullptr));
  winampDSPHeader* header = getHeader ? getHeader() : nullptr;
  dspModule = header && header->getModule ? header->getModule(0) : nullptr;
  if (!dspModule) {
    MessageBoxW(parent, L"Invalid DSP Plugin!", L"Error", MB_ICONERROR);
    Forget();
    return false;
  }
  dspModule->hwndParent = parent;
  dspModule->hDllInstance = dspLibrary;
  if (dspModule->Init) dspModule->Init(dspModule);
  return true;
}

void DspPluginHost::Unload() {
  if (!dspModule) return;
  if (dspModule->Quit) dspModule->Quit(dspModule);
  FreeLibrary(dspLibrary);
  dspModule = nullptr;
  dspLibrary = nullptr;
}

void DspPluginHost::Configure() {
  if (dspModule && dspModule->Config) dspModule->Config(dspModule);
}

KString DspPluginHost::GetDescription() const {
  return dspModule ? KString(static_cast<const char*>(dspModule->description)) : KString();
}

void DspPluginHost::Forget() {
  dspModule = nullptr;
  if (dspLibrary) FreeLibrary(dspLibrary);
  dspLibrary = nullptr;
  dspFilePath = KString();
}
