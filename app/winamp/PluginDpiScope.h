#pragma once

#include <windows.h>

// Calls into a plug-in run on a thread that is not DPI-aware, although the
// program is. Plug-ins were written for 96 DPI: a settings window made
// aware would come out tiny, or with its text cut, on a scaled display.
// Windows stretches the windows of an unaware thread as a whole (with GDI's
// sharper text where the system offers that, from Windows 10 1809).
//
// For the lifetime of the object the thread runs unaware, and may host
// windows of another awareness (a plug-in's window in the program's);
// the destructor puts the thread back as it was. Systems before Windows 10
// 1607 have no per-thread awareness: the functions are looked up at run
// time (a direct import would keep the program from starting there), and
// there the scope does nothing.
class PluginDpiScope {
 public:
  PluginDpiScope();
  PluginDpiScope(const PluginDpiScope&) = delete;
  PluginDpiScope& operator=(const PluginDpiScope&) = delete;
  ~PluginDpiScope();

 private:
  DPI_AWARENESS_CONTEXT previousContext_;
  DPI_HOSTING_BEHAVIOR previousHosting_;
};
