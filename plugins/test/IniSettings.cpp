// Keeps its setting where Winamp's plug-ins keep theirs: a section of the
// INI file whose path Winamp gives (IPC_GETINIFILE). It reads its level in
// Init, plays at that level, and halves the stored level in Quit, so the
// next load shows that the file was found again.
#include "PluginModule.h"
#include "WinampQuery.h"

namespace {

const char kSection[] = "Vellumtone test INI";
char iniPath[MAX_PATH];
int level = 0;  // percent; 0 when Winamp gave no INI file

int __cdecl Init(winampDSPModule* module) {
  const char* path = reinterpret_cast<const char*>(AskWinamp(module->hwndParent, kIpcGetIniFile));
  iniPath[0] = 0;
  if (path) lstrcpynA(iniPath, path, MAX_PATH);
  level = iniPath[0] ? static_cast<int>(GetPrivateProfileIntA(kSection, "Level", 100, iniPath)) : 0;
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  for (int i = 0; i < frames * channels; ++i) samples[i] = samples[i] * level / 100;
  return frames;
}

void __cdecl Quit(winampDSPModule*) {
  if (!iniPath[0]) return;
  char text[16];
  wsprintfA(text, "%d", level / 2);
  WritePrivateProfileStringA(kSection, "Level", text, iniPath);
}

}  // namespace

char pluginDescription[] = "Vellumtone test: INI settings";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, Init,
                                ModifySamples,     Quit,    nullptr};
