#pragma once

// An object of the framework's menu-item table: a window hands it the menu
// command with identifier 30001 + its index in the table.
class KMenuItem {
 public:
  virtual void FirePress() = 0;
  virtual ~KMenuItem() = default;
};
