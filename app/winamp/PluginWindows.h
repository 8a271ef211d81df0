#pragma once

#include <windows.h>

// The windows of this process whose procedure (or dialog procedure) lies in
// a plug-in library's code. While any is left the library must stay loaded;
// after the library faulted, none may call into it again.
class PluginWindows {
 public:
  explicit PluginWindows(HMODULE library);

  bool AnyLeft() const;
  // After a fault on the window's thread: `owner` (the plug-in's parent) is
  // enabled again, as a settings dialog left open disabled it, and every
  // window of the plug-in's is made to stop calling into it: the program's
  // own windows get back the procedure they had before the plug-in came
  // (`ownerProcedure`, `winampProcedure`), the plug-in's own windows are
  // destroyed (on another thread: closed), and their timers with them.
  void Release(HWND owner, LONG_PTR ownerProcedure, HWND winamp, LONG_PTR winampProcedure) const;

 private:
  bool Contains(LONG_PTR address) const;
  bool IsPlugins(HWND window) const;
  // Makes `window` call no code of the library: its own procedure
  // `keptProcedure` (or DefWindowProc when 0), and no dialog procedure.
  void Neutralise(HWND window, LONG_PTR keptProcedure) const;
  template <typename Visit>
  static void ForEachWindow(Visit& visit);

  ULONG_PTR begin_;
  ULONG_PTR end_;
};
