#pragma once

#include "KComboBoxListener.h"
#include "KComponent.h"
#include "KPtrVector.h"

// A drop-down list ("COMBOBOX", CBS_DROPDOWNLIST). The object keeps its own
// copy of the items and a selection index, so both can be set before the
// window exists; the selection is read from the window only.
class KComboBox : public KComponent {
 public:
  KComboBox();

  bool Create() override;
  ~KComboBox() override;

  virtual void AppendItem(const KString& text);
  virtual void EraseItem(const KString& text);
  virtual void EraseItem(int index);
  // The first item that is the same text (case-sensitive); -1 for none.
  virtual int FindItem(const KString& text);
  virtual int CountItems();
  // The window's selection; -1 without a window or without a selection.
  virtual int GetSelection();
  virtual KString GetSelectedText();
  virtual void RemoveAllItems();
  virtual void SetSelection(int index);
  virtual void SetListener(KComboBoxListener* listener);
  virtual void FireSelection();

 private:
  void AddToWindow(const KString& text);

  KPtrVector<KString>* items_;
  int selectedIndex_;
  KComboBoxListener* listener_;
};
