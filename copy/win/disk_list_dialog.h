// The configuration window as far as the program needs it now: the
// computer's name and every disk of the global disk list with its lettered
// volumes, the supported ones marked with " *", refreshed when the device
// list changes while it is open.
#pragma once
#include "framework/controls.h"
#include "framework/dialog.h"

namespace zel {

class DiskListDialog : public fw::CDialog {
 public:
  DiskListDialog();
  // Fills the tree again from the global disk list.
  void Refresh();

 private:
  bool OnInitDialog() override;
  fw::CTreeView tree_;
};

}  // namespace zel
