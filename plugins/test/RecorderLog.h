#pragma once

#include <windows.h>

// What the recording test plug-in was given, read by the tests through its
// export "RecorderLog".
struct RecorderLog {
  int inits;
  int quits;
  int configs;
  int blocks;
  int totalFrames;
  int lastFrames;
  int maxFrames;
  int bits;
  int channels;
  int rate;
  DWORD thread;
  HWND parentAtInit;
  HINSTANCE instanceAtInit;
};

using RecorderLogFunction = RecorderLog*(__cdecl*)();
