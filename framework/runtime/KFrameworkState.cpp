#include "KFrameworkState.h"

#include <cwchar>
#include <new>

namespace {

constexpr int kTableCapacity = 1024;
constexpr int kTableGrowthStep = 1024;
constexpr int kClassNameChars = 32;

// The entry at `id` − `base`, or null outside the table.
template <typename T>
T* FindById(KPtrVector<T>* table, UINT id, UINT base) {
  if (!table || id < base) return nullptr;
  return table->ItemAt(static_cast<int>(id - base));
}

}  // namespace

KFrameworkState::KFrameworkState()
    : instance_(nullptr),
      classNameCount_(0),
      menuItems_(new (std::nothrow)
                     KPtrVector<KMenuItem>(kTableCapacity, kTableGrowthStep, false)),
      timers_(new (std::nothrow) KPtrVector<KTimer>(kTableCapacity, kTableGrowthStep, false)) {
  InitializeCriticalSection(&lock_);
}

HINSTANCE KFrameworkState::GetInstanceHandle() { return instance_; }

void KFrameworkState::SetInstanceHandle(HINSTANCE instance) { instance_ = instance; }

KString KFrameworkState::MakeClassName() {
  EnterCriticalSection(&lock_);
  // Unsigned arithmetic: the sum wraps like the tick count itself.
  DWORD sum = GetTickCount() + static_cast<DWORD>(classNameCount_);
  ++classNameCount_;
  KString name = ClassNameFor(sum);
  LeaveCriticalSection(&lock_);
  return name;
}

KString KFrameworkState::ClassNameFor(DWORD sum) {
  wchar_t text[kClassNameChars];
  swprintf(text, kClassNameChars, L"QZR_%d", static_cast<int>(sum));
  return KString(text);
}

KMenuItem* KFrameworkState::FindMenuItem(UINT id) {
  return FindById(menuItems_, id, kFirstMenuItemId);
}

KTimer* KFrameworkState::FindTimer(UINT id) { return FindById(timers_, id, kFirstTimerId); }

KPtrVector<KMenuItem>* KFrameworkState::GetMenuItemTable() { return menuItems_; }

KPtrVector<KTimer>* KFrameworkState::GetTimerTable() { return timers_; }

KFrameworkState::~KFrameworkState() {
  delete menuItems_;
  delete timers_;
  DeleteCriticalSection(&lock_);
}
