// The entry point: framework up, arguments into strings, the application
// run, then everything released in order; the strings outlive the framework.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <new>

#include "FpuState.h"
#include "Framework.h"
#include "KString.h"
#include "VellumtoneApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The program's own floating-point state, which every call into a
  // plug-in gives back, is the one it starts with.
  FpuState::Host();
  StartFramework(instance);
  int count = 0;
  LPWSTR* wideArguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wideArguments) count = 0;
  KString** arguments = static_cast<KString**>(calloc(count > 0 ? count : 1, sizeof(KString*)));
  if (!arguments) count = 0;
  for (int i = 0; i < count; ++i) arguments[i] = new (std::nothrow) KString(wideArguments[i]);

  KApplication* application = new (std::nothrow) VellumtoneApp;
  int result = application ? application->Execute(arguments, count) : 1;
  delete application;
  StopFramework();

  for (int i = 0; i < count; ++i) delete arguments[i];
  free(arguments);
  if (wideArguments) GlobalFree(wideArguments);
  return result;
}
