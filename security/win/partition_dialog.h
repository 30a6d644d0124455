// CPartitionDlg: divides the enclosure's disk with a slider into a public
// and a private disk and lays both out (security/partition_dialog_rules.h).
#pragma once
#include <windows.h>

#include "security/partition_dialog_rules.h"
#include "skin/fx_button.h"
#include "skin/shaped_dialog.h"

namespace zel {

class CPartitionDlg : public skin::CShapedDialog, private PartitionView {
 public:
  CPartitionDlg();
  // The private size chosen, read by the main window once the dialog ended.
  uint32_t PrivateSize() const { return rules_.Sizes().privateSize; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  ZEL_DECLARE_MESSAGE_MAP()

 private:
  void ShowProgress(uint8_t percent) override;
  void SetBusy(bool busy) override;
  void ShowSizes();
  void ShowMask();
  LRESULT OnSliderDraw(NMHDR* header);
  LRESULT OnScroll(WPARAM wp, LPARAM lp);
  LRESULT OnStaticColour(WPARAM wp, LPARAM lp);

  PartitionDialogRules rules_;
  skin::CFxButton start_, cancel_;
  HCURSOR previousCursor_ = nullptr;
};

}  // namespace zel
