#include "PluginExitTrap.h"

#include <csignal>
#include <cstring>
#include <cwchar>

#include "ImportPatcher.h"
#include "PluginCallGuard.h"
#include "PluginThreads.h"

namespace {

thread_local const wchar_t* attempt = nullptr;

[[noreturn]] void EndAttempt(const wchar_t* what) {
  attempt = what;
  for (;;) RaiseException(PluginExitTrap::kEndCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

bool IsCurrentProcess(HANDLE process) {
  return process == GetCurrentProcess() || GetProcessId(process) == GetCurrentProcessId();
}

// The replacements, with the signatures of what they replace.
void WINAPI TrapExitProcess(UINT) { EndAttempt(L"ExitProcess"); }
void WINAPI TrapFatalAppExitA(UINT, LPCSTR) { EndAttempt(L"FatalAppExit"); }
void WINAPI TrapFatalAppExitW(UINT, LPCWSTR) { EndAttempt(L"FatalAppExit"); }
void WINAPI TrapRtlExitUserProcess(LONG) { EndAttempt(L"ExitProcess"); }
BOOL WINAPI TrapTerminateProcess(HANDLE process, UINT code) {
  if (IsCurrentProcess(process)) EndAttempt(L"TerminateProcess");
  return TerminateProcess(process, code);
}
// A thread that a plug-in call borrows is the program's (the window's, the
// worker); the plug-in's own threads may end themselves.
void WINAPI TrapExitThread(DWORD code) {
  if (PluginCallGuard::IsInsideCall() && !PluginThreads::IsOwnThread()) EndAttempt(L"ExitThread");
  ExitThread(code);
}
void __cdecl TrapExit(int) { EndAttempt(L"exit"); }
void __cdecl TrapUnderscoreExit(int) { EndAttempt(L"_exit"); }
void __cdecl TrapQuickExit(int) { EndAttempt(L"quick_exit"); }
void __cdecl TrapCExit() { EndAttempt(L"_cexit"); }
void __cdecl TrapAbort() { EndAttempt(L"abort"); }
void __cdecl TrapAmsgExit(int) { EndAttempt(L"_amsg_exit"); }
void __cdecl TrapTerminate() { EndAttempt(L"terminate"); }
FARPROC WINAPI TrapGetProcAddress(HMODULE module, LPCSTR name);

enum class From { Kernel, Ntdll, Crt, User };

struct Trap {
  From from;
  const char* name;
  void* replacement;
};

const Trap kTraps[] = {
    {From::Kernel, "ExitProcess", reinterpret_cast<void*>(TrapExitProcess)},
    {From::Kernel, "FatalAppExitA", reinterpret_cast<void*>(TrapFatalAppExitA)},
    {From::Kernel, "FatalAppExitW", reinterpret_cast<void*>(TrapFatalAppExitW)},
    {From::Kernel, "TerminateProcess", reinterpret_cast<void*>(TrapTerminateProcess)},
    {From::Kernel, "ExitThread", reinterpret_cast<void*>(TrapExitThread)},
    {From::Kernel, "GetProcAddress", reinterpret_cast<void*>(TrapGetProcAddress)},
    {From::Ntdll, "RtlExitUserProcess", reinterpret_cast<void*>(TrapRtlExitUserProcess)},
    {From::Ntdll, "RtlExitUserThread", reinterpret_cast<void*>(TrapExitThread)},
    {From::Crt, "exit", reinterpret_cast<void*>(TrapExit)},
    {From::Crt, "_exit", reinterpret_cast<void*>(TrapUnderscoreExit)},
    {From::Crt, "_Exit", reinterpret_cast<void*>(TrapUnderscoreExit)},
    {From::Crt, "quick_exit", reinterpret_cast<void*>(TrapQuickExit)},
    {From::Crt, "_cexit", reinterpret_cast<void*>(TrapCExit)},
    {From::Crt, "_c_exit", reinterpret_cast<void*>(TrapCExit)},
    {From::Crt, "abort", reinterpret_cast<void*>(TrapAbort)},
    {From::Crt, "_amsg_exit", reinterpret_cast<void*>(TrapAmsgExit)},
    {From::Crt, "terminate", reinterpret_cast<void*>(TrapTerminate)},
    {From::Crt, "?terminate@@YAXXZ", reinterpret_cast<void*>(TrapTerminate)},
    // The plug-in's own threads start through a guard; what the system
    // calls back keeps the library loaded.
    {From::Kernel, "CreateThread", reinterpret_cast<void*>(PluginThreads::CreateThread)},
    {From::Crt, "_beginthread", reinterpret_cast<void*>(PluginThreads::BeginThread)},
    {From::Crt, "_beginthreadex", reinterpret_cast<void*>(PluginThreads::BeginThreadEx)},
    {From::Kernel, "AddVectoredExceptionHandler",
     reinterpret_cast<void*>(PluginThreads::AddVectoredExceptionHandler)},
    {From::Kernel, "AddVectoredContinueHandler",
     reinterpret_cast<void*>(PluginThreads::AddVectoredContinueHandler)},
    {From::Kernel, "SetUnhandledExceptionFilter",
     reinterpret_cast<void*>(PluginThreads::SetUnhandledExceptionFilter)},
    {From::User, "SetTimer", reinterpret_cast<void*>(PluginThreads::SetTimer)},
    {From::User, "SetWindowsHookExA", reinterpret_cast<void*>(PluginThreads::SetWindowsHookExA)},
    {From::User, "SetWindowsHookExW", reinterpret_cast<void*>(PluginThreads::SetWindowsHookExW)},
};

bool StartsWith(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, strlen(prefix)) == 0;
}

// The DLLs whose functions are trapped, by name (with or without a path).
bool Classify(const char* dll, From* from) {
  const char* slash = strrchr(dll, '\\');
  const char* name = slash ? slash + 1 : dll;
  if (_stricmp(name, "kernel32.dll") == 0 || _stricmp(name, "kernelbase.dll") == 0 ||
      StartsWith(name, "api-ms-win-core-")) {
    *from = From::Kernel;
  } else if (_stricmp(name, "user32.dll") == 0) {
    *from = From::User;
  } else if (_stricmp(name, "ntdll.dll") == 0) {
    *from = From::Ntdll;
  } else if (StartsWith(name, "msvcr") || StartsWith(name, "ucrtbase") ||
             StartsWith(name, "api-ms-win-crt-") || StartsWith(name, "crtdll")) {
    *from = From::Crt;
  } else {
    return false;
  }
  return true;
}

void* ReplacementFor(From from, const char* function) {
  for (const Trap& trap : kTraps) {
    if (trap.from == from && strcmp(trap.name, function) == 0) return trap.replacement;
  }
  return nullptr;
}

// A slot without a name (an old linker's) is known by what it holds: the
// final address, forwarders resolved (kernel32's ExitProcess is ntdll's
// RtlExitUserProcess on Wine), as the loader filled it in.
void* ReplacementAt(From from, HMODULE module, void* current) {
  for (const Trap& trap : kTraps) {
    if (trap.from != from) continue;
    if (reinterpret_cast<void*>(GetProcAddress(module, trap.name)) == current) {
      return trap.replacement;
    }
  }
  return nullptr;
}

void* ChooseSlot(const char* dll, const char* function, void* current) {
  From from;
  if (!Classify(dll, &from)) return nullptr;
  if (function) return ReplacementFor(from, function);
  HMODULE module = GetModuleHandleA(dll);
  return module ? ReplacementAt(from, module, current) : nullptr;
}

FARPROC WINAPI TrapGetProcAddress(HMODULE module, LPCSTR name) {
  FARPROC found = GetProcAddress(module, name);
  if (!found || IS_INTRESOURCE(name)) return found;
  char path[MAX_PATH] = {};
  From from;
  if (!GetModuleFileNameA(module, path, MAX_PATH) || !Classify(path, &from)) return found;
  void* replacement = ReplacementFor(from, name);
  return replacement ? reinterpret_cast<FARPROC>(replacement) : found;
}

// The system's own DLLs (Wine's builtin ones among them) are left alone:
// they end the process only when asked to through the calls trapped above.
wchar_t windowsFolder[MAX_PATH + 1];
size_t windowsFolderLength = 0;

// The system's UNICODE_STRING: a length in bytes, not terminated.
struct CountedText {
  USHORT length;
  USHORT maximumLength;
  const wchar_t* buffer;
};
struct DllNotificationData {
  ULONG flags;
  const CountedText* fullName;
  const CountedText* baseName;
  void* base;
  ULONG size;
};
constexpr ULONG kDllLoaded = 1;  // LDR_DLL_NOTIFICATION_REASON_LOADED
using DllNotification = void(CALLBACK*)(ULONG reason, const DllNotificationData* data,
                                        void* context);
using RegisterDllNotification = LONG(NTAPI*)(ULONG flags, DllNotification notification,
                                             void* context, void** cookie);

bool IsSystemDll(const CountedText* path) {
  size_t length = path ? path->length / sizeof(wchar_t) : 0;
  return windowsFolderLength > 0 && length > windowsFolderLength &&
         _wcsnicmp(path->buffer, windowsFolder, windowsFolderLength) == 0;
}

// Called by the loader once a DLL's imports are bound and before its
// DllMain runs, with the loader lock held.
void CALLBACK OnDllLoaded(ULONG reason, const DllNotificationData* data, void*) {
  if (reason != kDllLoaded || !data || IsSystemDll(data->fullName)) return;
  ImportPatcher(static_cast<HMODULE>(data->base)).Patch(ChooseSlot);
}

// Wine's abort raises SIGABRT and ends the process if the handler returns;
// raise() puts the default handler back first, hence the re-arming.
void __cdecl OnAbort(int) {
  signal(SIGABRT, OnAbort);
  if (PluginCallGuard::IsInsideCall()) EndAttempt(L"abort");
}

}  // namespace

void PluginExitTrap::Install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  UINT length = GetWindowsDirectoryW(windowsFolder, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    if (windowsFolder[length - 1] != L'\\') windowsFolder[length++] = L'\\';
    windowsFolderLength = length;
  }
  auto registerNotification = reinterpret_cast<RegisterDllNotification>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "LdrRegisterDllNotification")));
  void* cookie = nullptr;
  if (registerNotification) registerNotification(0, OnDllLoaded, nullptr, &cookie);
  signal(SIGABRT, OnAbort);
}

const wchar_t* PluginExitTrap::TakeAttempt() {
  const wchar_t* what = attempt;
  attempt = nullptr;
  return what;
}
