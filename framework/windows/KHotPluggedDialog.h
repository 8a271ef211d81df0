#pragma once

#include "KWindow.h"

// A KWindow bound to a dialog that the dialog manager made from a template
// (shown with DialogBoxParamW and FrameworkDlgProc). A concrete dialog
// overrides OnAttached to attach its controls by identifier.
class KHotPluggedDialog : public KWindow {
 public:
  ~KHotPluggedDialog() override;

  // Ends the modal dialog with result 0.
  void Destroy() override;
  // Nothing: the modal loop ends through EndDialog, not a quit message.
  void OnDestroy() override;
};
