// Finds Winamp by its window class instead of using its parent, as many
// plug-ins do, and asks it for its settings folder from the thread that
// processes the sound. Without an answer it refuses to work: silence.
#include "PluginModule.h"
#include "WinampQuery.h"

namespace {

bool asked = false;
bool answered = false;

bool WinampAnswers() {
  HWND winamp = FindWindowA("Winamp v1.x", nullptr);
  if (!winamp) return false;
  auto folder = reinterpret_cast<const wchar_t*>(AskWinamp(winamp, kIpcGetIniDirectoryW));
  if (!folder) return false;
  DWORD attributes = GetFileAttributesW(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (!asked) answered = WinampAnswers();
  asked = true;
  if (!answered) Silence(samples, frames, channels);
  return frames;
}

}  // namespace

char pluginDescription[] = "Vellumtone test: finds Winamp";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
