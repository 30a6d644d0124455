// CSecurityDlg: the security tool's main window. It shows the disk's state
// and runs the actions the rules in security/security_window.h decide.
#pragma once
#include <array>

#include "security/security_window.h"
#include "skin/fx_button.h"
#include "skin/shaped_dialog.h"

namespace zel {

class CSecurityDlg : public skin::CShapedDialog, private SecurityDialogs {
 public:
  CSecurityDlg();
  // A device change: the device name, the texts and the state afresh.
  void Refresh();

 protected:
  bool OnInitDialog() override;
  void OnOK() override {}  // Enter does not end the window
  ZEL_DECLARE_MESSAGE_MAP()

 private:
  bool RunUnlock() override;
  std::optional<uint32_t> RunPartition() override;
  void RunChangePassword() override;

  void LoadTexts();
  void ShowState();
  void OnPartition();
  void OnLock();
  void OnChangePassword();
  void OnErase();
  void OnClose();
  void OnMinimise();
  LRESULT OnStaticColour(WPARAM wp, LPARAM lp);

  SecurityWindow rules_;
  skin::CFxButton partition_, lock_, changePassword_, erase_, close_;
  skin::CFxButton logo_, url_, minimise_, closeImage_;
};

}  // namespace zel
