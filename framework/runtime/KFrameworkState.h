#pragma once

#include <windows.h>

#include "KMenuItem.h"
#include "KPtrVector.h"
#include "KString.h"
#include "KTimer.h"

// The process-wide state every window, control and dialog needs: the module
// instance handle, unique window-class names, and the menu-item and timer
// tables. Reached through GetFrameworkState().
class KFrameworkState {
 public:
  static constexpr UINT kFirstMenuItemId = 30001;
  static constexpr UINT kFirstTimerId = 1001;

  KFrameworkState();
  KFrameworkState(const KFrameworkState&) = delete;
  KFrameworkState& operator=(const KFrameworkState&) = delete;

  virtual HINSTANCE GetInstanceHandle();
  virtual void SetInstanceHandle(HINSTANCE instance);
  // "QZR_<tick count + names made so far>": unique within the process even
  // for many names in one tick.
  virtual KString MakeClassName();
  virtual KMenuItem* FindMenuItem(UINT id);
  virtual KTimer* FindTimer(UINT id);
  // The tables do not own their objects.
  virtual KPtrVector<KMenuItem>* GetMenuItemTable();
  virtual KPtrVector<KTimer>* GetTimerTable();
  virtual ~KFrameworkState();

  // The class name for a given tick-count sum, printed signed.
  static KString ClassNameFor(DWORD sum);

 private:
  HINSTANCE instance_;
  CRITICAL_SECTION lock_;
  LONG classNameCount_;
  KPtrVector<KMenuItem>* menuItems_;
  KPtrVector<KTimer>* timers_;
};
