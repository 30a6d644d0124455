#include "security/win/password_dialogs.h"

#include <vector>

#include "common/texts.h"
#include "security/password_actions.h"
#include "security/password_block.h"
#include "security/password_hint.h"
#include "security/win/button_looks.h"
#include "security/win/resource.h"

namespace zel {
namespace {

constexpr int kPasswordChars = 12;
constexpr int kHintChars = 24;

}  // namespace

void CPasswordDialog::SetUpLook(int headingId, const char* headingKey, const char* heading) {
  SetUpShape(LoadPictureFile(picture_), LoadPictureFile(picture_));
  PlaceOnPicture(hwnd_);
  const std::string text = zel::TextA(headingKey, heading);
  SetTextA(text);
  SetItemTextA(headingId, text);
  ok_.SubclassDlgItem(IDOK, *this);
  SkinTextButton(ok_, L"Btn2.bmp", zel::TextA("OkButton", "OK"), ButtonBackground());
  SetUsableLook(ok_, true);
  cancel_.SubclassDlgItem(IDCANCEL, *this);
  SkinTextButton(cancel_, L"Btn2.bmp", zel::TextA("CancelButton", "Cancel"), ButtonBackground());
  SetUsableLook(cancel_, true);
}

std::string CPasswordDialog::FieldText(int id, int limit) const {
  std::vector<char> buf(static_cast<size_t>(limit) * 2 + 1, '\0');
  const UINT n = ::GetDlgItemTextA(hwnd_, id, buf.data(), static_cast<int>(buf.size()));
  return std::string(buf.data(), n);
}

void CPasswordDialog::LimitField(int id, int limit) { ::SendDlgItemMessageW(hwnd_, id, EM_LIMITTEXT, limit, 0); }

// ---- unlock ----

ZEL_BEGIN_MESSAGE_MAP(CUnlockDlg, CPasswordDialog)
  OnMessage(WM_CTLCOLORSTATIC, &CUnlockDlg::OnStaticColour),
ZEL_END_MESSAGE_MAP()

CUnlockDlg::CUnlockDlg() : CPasswordDialog(IDD_UNLOCK, "Unlock.bmp") {}

bool CUnlockDlg::OnInitDialog() {
  SetUpLook(IDC_UNLOCK_HEADING, "UnlockDlgCaption", "Verify the password");
  SetItemTextA(IDC_INPUT_LABEL, zel::TextA("InputPWCaption", "Please input the password:"));
  SetItemTextA(IDC_UNLOCK_HINT_LABEL, zel::TextA("PwPromptCaption", "Password Hint:"));
  LimitField(IDC_PASSWORD, kPasswordChars);
  SetItemTextA(IDC_UNLOCK_HINT, ReadPasswordHint());
  ::SetFocus(Item(IDC_PASSWORD));
  return false;
}

void CUnlockDlg::OnOK() {
  if (UnlockWithPassword(FieldText(IDC_PASSWORD, kPasswordChars))) EndDialog(IDOK);
}

LRESULT CUnlockDlg::OnStaticColour(WPARAM wp, LPARAM lp) {
  if (::GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == IDC_UNLOCK_HINT) {
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::SetTextColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(WhiteBrush());
  }
  LRESULT result = 0;
  CPasswordDialog::HandleMessage(WM_CTLCOLORSTATIC, wp, lp, result);
  return result;
}

// ---- change ----

CChangePasswordDlg::CChangePasswordDlg() : CPasswordDialog(IDD_CHANGE_PASSWORD, "ChangePW.bmp") {}

bool CChangePasswordDlg::OnInitDialog() {
  SetUpLook(IDC_CHANGE_HEADING, "ChangePwCaption", "Change the password");
  SetItemTextA(IDC_OLD_LABEL, zel::TextA("OldPWCaption", "Old Password:"));
  SetItemTextA(IDC_NEW_LABEL, zel::TextA("NewPWCaption", "New Password:"));
  SetItemTextA(IDC_CONFIRM_LABEL, zel::TextA("ConfirmPWCaption", "Confirm Password:"));
  SetItemTextA(IDC_HINT_LABEL, zel::TextA("PwPromptCaption", "Password Hint:"));
  for (int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD}) LimitField(id, kPasswordChars);
  LimitField(IDC_HINT_EDIT, kHintChars);
  SetItemTextA(IDC_HINT_EDIT, ReadPasswordHint());
  const bool oldAsked = OldPasswordAsked();
  ::EnableWindow(Item(IDC_OLD_PASSWORD), oldAsked ? TRUE : FALSE);
  ::SetFocus(Item(oldAsked ? IDC_OLD_PASSWORD : IDC_NEW_PASSWORD));
  return false;
}

void CChangePasswordDlg::OnOK() {
  PasswordChange change;
  change.oldFieldEnabled = ::IsWindowEnabled(Item(IDC_OLD_PASSWORD)) != FALSE;
  change.oldPassword = FieldText(IDC_OLD_PASSWORD, kPasswordChars);
  change.newPassword = FieldText(IDC_NEW_PASSWORD, kPasswordChars);
  change.confirmation = FieldText(IDC_CONFIRM_PASSWORD, kPasswordChars);
  change.hint = FieldText(IDC_HINT_EDIT, kHintChars);
  if (ChangePasswordWithHint(change) == ChangeOutcome::Changed) EndDialog(IDOK);
}

}  // namespace zel
