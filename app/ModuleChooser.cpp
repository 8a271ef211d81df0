#include "ModuleChooser.h"

#include "resources/resource.h"

int ModuleChooser::Choose(HWND owner, const KString* descriptions, int count) {
  Choice choice = {descriptions, count, -1};
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MODULES), owner,
                                   Procedure, reinterpret_cast<LPARAM>(&choice));
  return result == IDOK ? choice.chosen : -1;
}

void ModuleChooser::Fill(HWND dialog, const Choice& choice) {
  HWND list = GetDlgItem(dialog, IDC_MODULE_LIST);
  for (int i = 0; i < choice.count; ++i) {
    SendMessageW(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(static_cast<const wchar_t*>(choice.descriptions[i])));
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
}

INT_PTR CALLBACK ModuleChooser::Procedure(HWND dialog, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  auto* choice = reinterpret_cast<Choice*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Fill(dialog, *reinterpret_cast<Choice*>(lParam));
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      bool doubleClicked = id == IDC_MODULE_LIST && HIWORD(wParam) == LBN_DBLCLK;
      if (id == IDOK || doubleClicked) {
        choice->chosen = static_cast<int>(SendDlgItemMessageW(dialog, IDC_MODULE_LIST,
                                                              LB_GETCURSEL, 0, 0));
        EndDialog(dialog, choice->chosen >= 0 ? IDOK : IDCANCEL);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}
