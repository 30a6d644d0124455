#include "security/win/security_dialog.h"

#include "common/texts.h"
#include "security/win/button_looks.h"
#include "security/win/partition_dialog.h"
#include "security/win/password_dialogs.h"
#include "security/win/resource.h"

namespace zel {

ZEL_BEGIN_MESSAGE_MAP(CSecurityDlg, skin::CShapedDialog)
  OnCommand(IDC_PARTITION, &CSecurityDlg::OnPartition),
  OnCommand(IDC_LOCK, &CSecurityDlg::OnLock),
  OnCommand(IDC_CHANGE_PASSWORD, &CSecurityDlg::OnChangePassword),
  OnCommand(IDC_ERASE, &CSecurityDlg::OnErase),
  OnCommand(IDC_CLOSE, &CSecurityDlg::OnClose),
  OnCommand(IDC_CLOSE_IMAGE, &CSecurityDlg::OnClose),
  OnCommand(IDC_MINIMISE, &CSecurityDlg::OnMinimise),
  OnMessage(WM_CTLCOLORSTATIC, &CSecurityDlg::OnStaticColour),
ZEL_END_MESSAGE_MAP()

CSecurityDlg::CSecurityDlg() : CShapedDialog(IDD_SECURITY) {}

bool CSecurityDlg::OnInitDialog() {
  SetUpShape(LoadPictureFile("Bkgnd.bmp"), LoadPictureFile("Bkgnd.bmp"));
  PlaceOnPicture(hwnd_);
  const HBITMAP background = ButtonBackground();
  const struct {
    skin::CFxButton& button;
    int id;
    const char* key;
    const char* text;
  } texts[] = {
      {partition_, IDC_PARTITION, "PartitionButton", "Partition"},
      {lock_, IDC_LOCK, "LockState", "Lock"},
      {changePassword_, IDC_CHANGE_PASSWORD, "ChangePwButton", "Change Password"},
      {erase_, IDC_ERASE, "EraseButton", "Erase"},
      {close_, IDC_CLOSE, "CloseButton", "Close"},
  };
  for (const auto& t : texts) {
    t.button.SubclassDlgItem(t.id, *this);
    SkinTextButton(t.button, L"Btn1.bmp", zel::TextA(t.key, t.text), background);
  }
  logo_.SubclassDlgItem(IDC_LOGO, *this);
  SkinImageButton(logo_, L"Logo.bmp", RGB(0, 0, 0), background);
  url_.SubclassDlgItem(IDC_URL, *this);
  SkinImageButton(url_, L"URL.bmp", RGB(255, 255, 255), background);
  minimise_.SubclassDlgItem(IDC_MINIMISE, *this);
  SkinWindowButton(minimise_, L"MinWin.bmp", background);
  closeImage_.SubclassDlgItem(IDC_CLOSE_IMAGE, *this);
  SkinWindowButton(closeImage_, L"ClsWin.bmp", background);
  Refresh();
  return true;
}

void CSecurityDlg::LoadTexts() {
  SetTextA(zel::TextA("MainCaption", "HD Security tool"));
  SetItemTextA(IDC_STATUS_LABEL, zel::TextA("StatusCaption", "Status"));
  SetItemTextA(IDC_DEVICE_LABEL, zel::TextA("DeviceCaption", "Device"));
  SetCaption(partition_, zel::TextA("PartitionButton", "Partition"));
  SetCaption(changePassword_, zel::TextA("ChangePwButton", "Change Password"));
  SetCaption(erase_, zel::TextA("EraseButton", "Erase"));
  SetCaption(close_, zel::TextA("CloseButton", "Close"));
}

void CSecurityDlg::Refresh() {
  SetItemTextA(IDC_DEVICE_NAME, CurrentDeviceName());
  LoadTexts();
  rules_.ShowStatus();
  ShowState();
}

void CSecurityDlg::ShowState() {
  SetItemTextA(IDC_STATUS_VALUE, rules_.StatusText());
  SetCaption(lock_, rules_.LockCaption());
  SetUsableLook(partition_, rules_.Usable(kMaskPartition));
  SetUsableLook(lock_, rules_.Usable(kMaskLock));
  SetUsableLook(changePassword_, rules_.Usable(kMaskChangePassword));
  SetUsableLook(erase_, rules_.Usable(kMaskErase));
}

void CSecurityDlg::OnPartition() {
  rules_.Partition(*this);
  ShowState();
}

void CSecurityDlg::OnLock() {
  rules_.LockOrUnlock(*this);
  ShowState();
}

void CSecurityDlg::OnChangePassword() { rules_.ChangePassword(*this); }

void CSecurityDlg::OnErase() {
  rules_.Erase();
  ShowState();
}

void CSecurityDlg::OnClose() { EndDialog(IDCANCEL); }
void CSecurityDlg::OnMinimise() { Show(SW_MINIMIZE); }

bool CSecurityDlg::RunUnlock() {
  CUnlockDlg dialog;
  return dialog.DoModal(hwnd_) != IDCANCEL;
}

std::optional<uint32_t> CSecurityDlg::RunPartition() {
  CPartitionDlg dialog;
  if (dialog.DoModal(hwnd_) != IDOK) return std::nullopt;
  return dialog.PrivateSize();
}

void CSecurityDlg::RunChangePassword() {
  CChangePasswordDlg dialog;
  dialog.DoModal(hwnd_);
}

LRESULT CSecurityDlg::OnStaticColour(WPARAM wp, LPARAM lp) {
  const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lp));
  if (id == IDC_STATUS_VALUE || id == IDC_DEVICE_NAME) {
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::SetTextColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(WhiteBrush());
  }
  LRESULT result = 0;
  CShapedDialog::HandleMessage(WM_CTLCOLORSTATIC, wp, lp, result);
  return result;
}

}  // namespace zel
