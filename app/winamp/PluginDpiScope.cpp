#include "PluginDpiScope.h"

namespace {

using SetContextFunction = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using SetHostingFunction = DPI_HOSTING_BEHAVIOR(WINAPI*)(DPI_HOSTING_BEHAVIOR);

// Declared here: the headers offer them only to programs that need Windows
// 10, and the program runs from Vista on.
const DPI_AWARENESS_CONTEXT kUnaware = reinterpret_cast<DPI_AWARENESS_CONTEXT>(-1);
const DPI_AWARENESS_CONTEXT kUnawareGdiScaled = reinterpret_cast<DPI_AWARENESS_CONTEXT>(-5);
constexpr DPI_HOSTING_BEHAVIOR kHostingInvalid = static_cast<DPI_HOSTING_BEHAVIOR>(-1);
constexpr DPI_HOSTING_BEHAVIOR kHostingMixed = static_cast<DPI_HOSTING_BEHAVIOR>(1);

void* User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32");
  return user32 ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}

// Looked up once; null where the system lacks them.
SetContextFunction SetContext() {
  static auto function =
      reinterpret_cast<SetContextFunction>(User32Function("SetThreadDpiAwarenessContext"));
  return function;
}

SetHostingFunction SetHosting() {
  static auto function =
      reinterpret_cast<SetHostingFunction>(User32Function("SetThreadDpiHostingBehavior"));
  return function;
}

}  // namespace

PluginDpiScope::PluginDpiScope() : previousContext_(nullptr), previousHosting_(kHostingInvalid) {
  if (SetContextFunction setContext = SetContext()) {
    // GDI scaling came with Windows 10 1809; before it the context is
    // refused and plain unawareness is what there is.
    previousContext_ = setContext(kUnawareGdiScaled);
    if (!previousContext_) previousContext_ = setContext(kUnaware);
  }
  if (SetHostingFunction setHosting = SetHosting()) previousHosting_ = setHosting(kHostingMixed);
}

PluginDpiScope::~PluginDpiScope() {
  if (previousHosting_ != kHostingInvalid) SetHosting()(previousHosting_);
  if (previousContext_) SetContext()(previousContext_);
}
