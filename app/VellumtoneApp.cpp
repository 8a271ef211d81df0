#include "VellumtoneApp.h"

#include "Framework.h"
#include "KFrameworkState.h"
#include "MainWindow.h"
#include "MessageRouting.h"
#include "resources/resource.h"

int VellumtoneApp::Execute(KString**, int) {
  MainWindow window;
  INT_PTR ended = DialogBoxParamW(GetFrameworkState()->GetInstanceHandle(),
                                  MAKEINTRESOURCEW(IDD_MAIN), nullptr, FrameworkDlgProc,
                                  reinterpret_cast<LPARAM>(&window));
  window.StopWorker();
  // A window that could not be made must not look like a clean run to
  // whoever started the program.
  return ended == -1 ? kNoMainWindow : 0;
}
