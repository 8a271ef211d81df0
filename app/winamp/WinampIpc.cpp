#include "WinampIpc.h"

#include <shlobj.h>

#include <cwchar>

#include "EmbedWindow.h"
#include "FilePath.h"

namespace {

const wchar_t kSettingsFolder[] = L"\\MP3 Vellumtone";
const wchar_t kIniFileName[] = L"\\plugins.ini";

LRESULT Pointer(const void* text) { return reinterpret_cast<LRESULT>(text); }

}  // namespace

WinampIpc::WinampIpc(const PlaybackFacts& facts) : playback_(facts), settingsFound_(false) {}

LRESULT WinampIpc::Answer(WPARAM parameter, LPARAM code) {
  switch (code) {
    case kGetVersion:
      return kVersion;
    case kIsPlaying:
      return playback_.IsPlaying() ? 1 : 0;
    case kGetOutputTime:
      return OutputTime(parameter);
    case kGetInfo:
      return Info(parameter);
    case kGetListLength:
      return 1;
    case kGetListPos:
      return 0;
    case kGetPlaylistFile:
      return Pointer(inputFile_.Ansi());
    case kGetPlaylistFileW:
      return Pointer(inputFile_.Wide());
    case kGetPluginDirectory:
      return Pointer(pluginDirectory_.Ansi());
    case kGetPluginDirectoryW:
    case kGetDspDirectoryW:
      return Pointer(pluginDirectory_.Wide());
    case kGetEmbedInterface:
      return reinterpret_cast<LRESULT>(&EmbedWindow::Create);
    case kGetApiService:
      return 1;  // Winamp's own answer for "no service API"
    default:
      return AnswerSettings(code);
  }
}

LRESULT WinampIpc::AnswerSettings(LPARAM code) {
  if (code != kGetIniFile && code != kGetIniFileW && code != kGetIniDirectory &&
      code != kGetIniDirectoryW) {
    return 0;
  }
  FindSettingsFolder();
  switch (code) {
    case kGetIniFile:
      return Pointer(iniFile_.Ansi());
    case kGetIniFileW:
      return Pointer(iniFile_.Wide());
    case kGetIniDirectory:
      return Pointer(iniDirectory_.Ansi());
    default:
      return Pointer(iniDirectory_.Wide());
  }
}

// The per-user folder of the program's settings, made when a plug-in first
// asks for it, with the INI file plug-ins keep their sections in.
void WinampIpc::FindSettingsFolder() {
  if (settingsFound_) return;
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) {
    GetTempPathW(MAX_PATH, folder);
    size_t length = wcslen(folder);
    if (length > 0 && folder[length - 1] == L'\\') folder[length - 1] = 0;
  }
  wcsncat(folder, kSettingsFolder, MAX_PATH - wcslen(folder) - 1);
  CreateDirectoryW(folder, nullptr);
  iniDirectory_.Set(folder);
  wcsncat(folder, kIniFileName, MAX_PATH - wcslen(folder) - 1);
  iniFile_.Set(folder);
  settingsFound_ = true;
}

void WinampIpc::SetInputPath(const KString& path) { inputFile_.Set(path); }

void WinampIpc::SetPluginPath(const KString& path) {
  pluginDirectory_.Set(FilePath::FolderOf(path));
}

// Mode 0: the position in ms, -1 when nothing plays; 1: the length in
// seconds; 2: the length in ms.
LRESULT WinampIpc::OutputTime(WPARAM mode) const {
  switch (mode) {
    case 0:
      return playback_.PositionMs();
    case 1:
      return static_cast<LRESULT>(playback_.LengthMs() / 1000);
    case 2:
      return static_cast<LRESULT>(playback_.LengthMs());
    default:
      return 0;
  }
}

// Field 0: the rate in kHz; 1: the bit rate in kbit/s; 2: the channels;
// 5: the rate in Hz.
LRESULT WinampIpc::Info(WPARAM field) const {
  switch (field) {
    case 0:
      return playback_.GetSampleRate() / 1000;
    case 1:
      return playback_.GetBitRate();
    case 2:
      return playback_.GetChannels();
    case 5:
      return playback_.GetSampleRate();
    default:
      return 0;
  }
}
