#include "PluginThreads.h"

#include <process.h>

#include <atomic>
#include <new>

#include "GuardedModule.h"

namespace {

std::atomic<GuardedModule*> watched{nullptr};
std::atomic<HWND> watchingWindow{nullptr};
std::atomic<UINT> faultMessage{0};
std::atomic<HMODULE> currentLibrary{nullptr};
thread_local bool ownThread = false;

enum class Kind { Win32, Crt, CrtEx };

// What the plug-in asked to start, handed to the new thread, which owns it.
struct Start {
  Kind kind;
  void* routine;
  void* parameter;
};

HMODULE ModuleOf(const void* code) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(code), &module);
  return module;
}

DWORD RunGuarded(Start* given) {
  Start start = *given;
  delete given;
  ownThread = true;
  HMODULE library = ModuleOf(start.routine);
  DWORD result = 0;
  auto call = [&] {
    switch (start.kind) {
      case Kind::Win32:
        result = reinterpret_cast<LPTHREAD_START_ROUTINE>(start.routine)(start.parameter);
        break;
      case Kind::Crt:
        reinterpret_cast<void(__cdecl*)(void*)>(start.routine)(start.parameter);
        break;
      case Kind::CrtEx:
        result = reinterpret_cast<unsigned(__stdcall*)(void*)>(start.routine)(start.parameter);
        break;
    }
  };
  // The library in use is only known once LoadLibrary has returned, and a
  // thread that DllMain started may run before that: it is asked at the
  // fault. A thread of a library dropped before dies alone.
  GuardedModule* plugin = watched.load();
  auto isCurrent = [&] { return library && library == currentLibrary.load(); };
  if (plugin && isCurrent() && plugin->HasFaulted()) return 0;  // it runs no more code
  bool returned = plugin ? plugin->RunAside(call) : PluginCallGuard::Run(call);
  if (!returned && plugin && isCurrent() && !plugin->HasFaulted()) {
    plugin->MarkFaulted();
    PostMessageW(watchingWindow.load(), faultMessage.load(), 0, 0);
  }
  return result;
}

DWORD WINAPI StartWin32(void* start) { return RunGuarded(static_cast<Start*>(start)); }
void __cdecl StartCrt(void* start) { RunGuarded(static_cast<Start*>(start)); }
unsigned __stdcall StartCrtEx(void* start) { return RunGuarded(static_cast<Start*>(start)); }

// The library of a thread that runs may never be unmapped, nor may one
// whose code the system calls back. Pinned before the thread exists.
Start* Prepare(Kind kind, void* routine, void* parameter) {
  PluginThreads::Pin(routine);
  return new (std::nothrow) Start{kind, routine, parameter};
}

}  // namespace

void PluginThreads::Watch(GuardedModule* plugin, HWND window, UINT message) {
  watched = plugin;
  watchingWindow = window;
  faultMessage = message;
}

void PluginThreads::SetLibrary(HMODULE library) { currentLibrary = library; }

bool PluginThreads::IsOwnThread() { return ownThread; }

// Pinned: FreeLibrary leaves it mapped until the process ends.
void PluginThreads::Pin(const void* code) {
  HMODULE module = nullptr;
  if (code) {
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       static_cast<LPCWSTR>(code), &module);
  }
}

HANDLE WINAPI PluginThreads::CreateThread(SECURITY_ATTRIBUTES* security, SIZE_T stack,
                                          LPTHREAD_START_ROUTINE routine, void* parameter,
                                          DWORD flags, DWORD* id) {
  Start* start = Prepare(Kind::Win32, reinterpret_cast<void*>(routine), parameter);
  if (!start) return nullptr;
  HANDLE thread = ::CreateThread(security, stack, StartWin32, start, flags, id);
  if (!thread) delete start;
  return thread;
}

uintptr_t __cdecl PluginThreads::BeginThread(void(__cdecl* routine)(void*), unsigned stack,
                                             void* parameter) {
  Start* start = Prepare(Kind::Crt, reinterpret_cast<void*>(routine), parameter);
  if (!start) return static_cast<uintptr_t>(-1);
  uintptr_t thread = _beginthread(StartCrt, stack, start);
  if (thread == static_cast<uintptr_t>(-1)) delete start;
  return thread;
}

uintptr_t __cdecl PluginThreads::BeginThreadEx(void* security, unsigned stack,
                                               unsigned(__stdcall* routine)(void*),
                                               void* parameter, unsigned flags, unsigned* id) {
  Start* start = Prepare(Kind::CrtEx, reinterpret_cast<void*>(routine), parameter);
  if (!start) return 0;
  uintptr_t thread = _beginthreadex(security, stack, StartCrtEx, start, flags, id);
  if (!thread) delete start;
  return thread;
}

PVOID WINAPI PluginThreads::AddVectoredExceptionHandler(ULONG first,
                                                       PVECTORED_EXCEPTION_HANDLER handler) {
  Pin(reinterpret_cast<void*>(handler));
  return ::AddVectoredExceptionHandler(first, handler);
}

PVOID WINAPI PluginThreads::AddVectoredContinueHandler(ULONG first,
                                                      PVECTORED_EXCEPTION_HANDLER handler) {
  Pin(reinterpret_cast<void*>(handler));
  return ::AddVectoredContinueHandler(first, handler);
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI
PluginThreads::SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
  Pin(reinterpret_cast<void*>(filter));
  return ::SetUnhandledExceptionFilter(filter);
}

UINT_PTR WINAPI PluginThreads::SetTimer(HWND window, UINT_PTR id, UINT elapse,
                                        TIMERPROC procedure) {
  Pin(reinterpret_cast<void*>(procedure));
  return ::SetTimer(window, id, elapse, procedure);
}

HHOOK WINAPI PluginThreads::SetWindowsHookExA(int type, HOOKPROC procedure, HINSTANCE module,
                                              DWORD thread) {
  Pin(reinterpret_cast<void*>(procedure));
  return ::SetWindowsHookExA(type, procedure, module, thread);
}

HHOOK WINAPI PluginThreads::SetWindowsHookExW(int type, HOOKPROC procedure, HINSTANCE module,
                                              DWORD thread) {
  Pin(reinterpret_cast<void*>(procedure));
  return ::SetWindowsHookExW(type, procedure, module, thread);
}
