#include "VellumtoneApp.h"

#include "Framework.h"
#include "KFrameworkState.h"
#include "MainWindow.h"
#include "MessageRouting.h"
#include "resources/resource.h"

int VellumtoneApp::Execute(KString**, int) {
  MainWindow window;
  DialogBoxParamW(GetFrameworkState()->GetInstanceHandle(), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                  FrameworkDlgProc, reinterpret_cast<LPARAM>(&window));
  return 0;
}
