#include "security/win/partition_dialog.h"

#include <commctrl.h>

#include "common/texts.h"
#include "framework/controls.h"
#include "security/win/button_looks.h"
#include "security/win/resource.h"

namespace zel {

ZEL_BEGIN_MESSAGE_MAP(CPartitionDlg, skin::CShapedDialog)
  OnNotify(NM_CUSTOMDRAW, IDC_SLIDER, &CPartitionDlg::OnSliderDraw),
  OnMessage(WM_HSCROLL, &CPartitionDlg::OnScroll),
  OnMessage(WM_CTLCOLORSTATIC, &CPartitionDlg::OnStaticColour),
ZEL_END_MESSAGE_MAP()

CPartitionDlg::CPartitionDlg() : CShapedDialog(IDD_PARTITION), rules_(*this) {}

bool CPartitionDlg::OnInitDialog() {
  SetUpShape(LoadPictureFile("Partition.bmp"), LoadPictureFile("Partition.bmp"));
  PlaceOnPicture(hwnd_);
  SetTextA(zel::TextA("PartitionCaption", "Partition"));
  SetItemTextA(IDC_PARTITION_HEADING, zel::TextA("PartitionCaption", "Partition"));
  SetItemTextA(IDC_PRIVATE_LABEL, zel::TextA("PrvSzCaption", "Private Disk Size:"));
  SetItemTextA(IDC_PUBLIC_LABEL, zel::TextA("PubSzCaption", "Public Disk Size:"));
  start_.SubclassDlgItem(IDOK, *this);
  SkinTextButton(start_, L"Btn2.bmp", zel::TextA("StartButton", "Start"), ButtonBackground());
  cancel_.SubclassDlgItem(IDCANCEL, *this);
  SkinTextButton(cancel_, L"Btn2.bmp", zel::TextA("CancelButton", "Cancel"), ButtonBackground());

  rules_.Open();
  fw::CSlider slider;
  slider.Attach(Item(IDC_SLIDER));
  slider.SetRange(0, static_cast<int>(rules_.SliderMax()));
  slider.SetPos(static_cast<int>(rules_.SliderPos()));
  slider.Send(TBM_SETTICFREQ, 1);
  slider.Detach();
  fw::CProgressBar progress;
  progress.Attach(Item(IDC_PROGRESS));
  progress.SetRange(0, 100);
  progress.SetPos(0);
  progress.Detach();
  ShowSizes();
  ShowMask();
  return true;
}

void CPartitionDlg::ShowSizes() {
  SetItemTextA(IDC_PRIVATE_SIZE, rules_.PrivateSizeText());
  SetItemTextA(IDC_PUBLIC_SIZE, rules_.PublicSizeText());
}

void CPartitionDlg::ShowMask() {
  SetUsableLook(start_, rules_.Usable(kMaskStart));
  SetUsableLook(cancel_, rules_.Usable(kMaskCancel));
}

LRESULT CPartitionDlg::OnSliderDraw(NMHDR* header) {
  // The sizes follow the slider whenever it draws itself.
  if (reinterpret_cast<NMCUSTOMDRAW*>(header)->dwDrawStage == CDDS_PREPAINT) {
    const auto position = static_cast<uint32_t>(::SendMessageW(header->hwndFrom, TBM_GETPOS, 0, 0));
    if (position != rules_.SliderPos()) {
      rules_.MoveSlider(position);
      ShowSizes();
    }
  }
  return CDRF_DODEFAULT;
}

LRESULT CPartitionDlg::OnScroll(WPARAM, LPARAM) {
  const auto position = static_cast<uint32_t>(::SendMessageW(Item(IDC_SLIDER), TBM_GETPOS, 0, 0));
  rules_.MoveSlider(position);
  ShowSizes();
  return 0;
}

void CPartitionDlg::OnOK() {
  if (rules_.Start() == PartitionOutcome::Completed) EndDialog(IDOK);
}

void CPartitionDlg::OnCancel() {
  if (rules_.Usable(kMaskCancel)) EndDialog(IDCANCEL);
}

void CPartitionDlg::ShowProgress(uint8_t percent) {
  HWND bar = Item(IDC_PROGRESS);
  ::SendMessageW(bar, PBM_SETPOS, percent, 0);
  // The procedure holds the thread: the bar draws itself now.
  ::UpdateWindow(bar);
}

void CPartitionDlg::SetBusy(bool busy) {
  if (busy) {
    previousCursor_ = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
  } else {
    ::SetCursor(previousCursor_);
  }
  ShowMask();
  ::UpdateWindow(start_.Handle());
}

LRESULT CPartitionDlg::OnStaticColour(WPARAM wp, LPARAM lp) {
  const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lp));
  HDC dc = reinterpret_cast<HDC>(wp);
  if (id == IDC_PRIVATE_SIZE || id == IDC_PUBLIC_SIZE) {
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::SetTextColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(WhiteBrush());
  }
  if (id == IDC_SLIDER) {
    ::SetBkColor(dc, RGB(109, 136, 158));
    return reinterpret_cast<LRESULT>(AccentBrush());
  }
  LRESULT result = 0;
  CShapedDialog::HandleMessage(WM_CTLCOLORSTATIC, wp, lp, result);
  return result;
}

}  // namespace zel
