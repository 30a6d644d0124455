// CUnlockDlg and CChangePasswordDlg: the password dialogs of the main window,
// over the procedures of security/password_actions.h.
#pragma once
#include <windows.h>

#include <string>

#include "skin/fx_button.h"
#include "skin/shaped_dialog.h"

namespace zel {

// The common part: the picture, the heading, OK and Cancel on "Btn2.bmp",
// the field texts read in the system code page.
class CPasswordDialog : public skin::CShapedDialog {
 protected:
  CPasswordDialog(UINT templateId, const char* picture) : CShapedDialog(templateId), picture_(picture) {}
  void SetUpLook(int headingId, const char* headingKey, const char* heading);
  // At most `limit` characters of the field, as the edit holds them.
  std::string FieldText(int id, int limit) const;
  void LimitField(int id, int limit);

 private:
  const char* picture_;
  skin::CFxButton ok_, cancel_;
};

class CUnlockDlg : public CPasswordDialog {
 public:
  CUnlockDlg();

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  ZEL_DECLARE_MESSAGE_MAP()

 private:
  LRESULT OnStaticColour(WPARAM wp, LPARAM lp);
};

class CChangePasswordDlg : public CPasswordDialog {
 public:
  CChangePasswordDlg();

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
};

}  // namespace zel
