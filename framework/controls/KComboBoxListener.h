#pragma once

class KComboBox;

// Told when the user confirms a selection in a combo box it listens to.
class KComboBoxListener {
 public:
  virtual ~KComboBoxListener() = default;
  virtual void ComboItemSelected(KComboBox* /*comboBox*/) {}
};
