#pragma once

#include <windows.h>

#include <cstring>

// What the test plug-ins that talk to Winamp share: its IPC message and
// codes, as published for plug-in writers, and silence for refusing to work.
constexpr UINT kWinampIpc = WM_USER;
constexpr LPARAM kIpcGetVersion = 0;
constexpr LPARAM kIpcGetIniFile = 334;
constexpr LPARAM kIpcGetEmbedInterface = 505;
constexpr LPARAM kIpcGetIniDirectoryW = 1335;

inline LRESULT AskWinamp(HWND winamp, LPARAM code, WPARAM parameter = 0) {
  return SendMessageW(winamp, kWinampIpc, parameter, code);
}

inline void Silence(short* samples, int frames, int channels) {
  memset(samples, 0, static_cast<size_t>(frames) * channels * sizeof(short));
}
