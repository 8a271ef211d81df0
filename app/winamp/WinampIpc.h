#pragma once

#include <windows.h>

#include "IpcPath.h"
#include "KString.h"

#include "PlaybackFacts.h"

// Winamp's message for the queries plug-ins send to their parent window:
// wParam carries a parameter, lParam the query's code.
constexpr UINT WM_WA_IPC = WM_USER;

// Winamp's answers to the plug-ins' WM_WA_IPC queries, for a program that
// is not Winamp: its own version, an INI file and folder of its own, the
// loaded plug-in's folder, and what a running job plays. Unknown queries
// get 0, as Winamp gives them.
class WinampIpc {
 public:
  enum Code {
    kGetVersion = 0,
    kIsPlaying = 104,
    kGetOutputTime = 105,
    kGetListLength = 124,
    kGetListPos = 125,
    kGetInfo = 126,
    kGetPlaylistFile = 211,
    kGetPlaylistFileW = 214,
    kGetIniFile = 334,
    kGetIniDirectory = 335,
    kGetPluginDirectory = 336,
    kGetDspDirectoryW = 341,
    kGetEmbedInterface = 505,
    kGetIniFileW = 1334,
    kGetIniDirectoryW = 1335,
    kGetPluginDirectoryW = 1336,
    kGetApiService = 3025,
  };
  static constexpr LRESULT kVersion = 0x5066;

  explicit WinampIpc(const PlaybackFacts& facts);
  WinampIpc(const WinampIpc&) = delete;
  WinampIpc& operator=(const WinampIpc&) = delete;

  LRESULT Answer(WPARAM parameter, LPARAM code);
  void SetInputPath(const KString& path);
  void SetPluginPath(const KString& path);

 private:
  LRESULT AnswerSettings(LPARAM code);
  LRESULT OutputTime(WPARAM mode) const;
  LRESULT Info(WPARAM field) const;
  void FindSettingsFolder();

  const PlaybackFacts& playback_;
  bool settingsFound_;
  IpcPath iniFile_;
  IpcPath iniDirectory_;
  IpcPath pluginDirectory_;
  IpcPath inputFile_;
};
