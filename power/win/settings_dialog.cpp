#include "power/win/settings_dialog.h"

#include "common/device_list.h"
#include "common/text.h"
#include "common/texts.h"
#include "power/standby_timers.h"
#include "power/win/resource.h"
#include "skin/dib_region.h"

namespace zel {
namespace {

constexpr COLORREF kKeyBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::wstring Localised(const char* key, const char* def) { return AnsiToWide(zel::TextA(key, def)); }

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CSettingsDlg, skin::CShapedDialog)
  OnCommand(IDC_DEFAULT, &CSettingsDlg::OnDefault),
  OnControl(CBN_SELCHANGE, IDC_STANDBY_LIST, &CSettingsDlg::OnStandbyChange),
  OnCommand(IDC_SPM_ON, &CSettingsDlg::OnSpmOn),
  OnCommand(IDC_SPM_OFF, &CSettingsDlg::OnSpmOff),
  OnCommand(IDC_MINIMISE, &CSettingsDlg::OnMinimise),
  OnCommand(IDC_CLOSE, &CSettingsDlg::OnClose),
  OnMessage(WM_SYSCOMMAND, &CSettingsDlg::OnSysCommand),
  OnMessage(WM_PAINT, &CSettingsDlg::OnPaint),
  OnMessage(WM_QUERYDRAGICON, &CSettingsDlg::OnQueryDragIcon),
ZEL_END_MESSAGE_MAP()

CSettingsDlg::CSettingsDlg() : CShapedDialog(IDD_SETTINGS), editor_(*this) {}

CSettingsDlg::~CSettingsDlg() {
  if (minimiseImage_) ::DeleteObject(minimiseImage_);
  if (closeImage_) ::DeleteObject(closeImage_);
}

bool CSettingsDlg::OnInitDialog() {
  // The About entry of the system menu, and the program icon.
  wchar_t about[128] = {};
  if (::LoadStringW(fw::ResourceModule(), IDS_ABOUTBOX, about, 128) > 0) {
    if (HMENU menu = ::GetSystemMenu(hwnd_, FALSE)) {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  bigIcon_ = static_cast<HICON>(::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                             LR_SHARED));
  smallIcon_ = static_cast<HICON>(::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                               IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

  // Shape and size from the background; without it the template's rectangle stays.
  RECT templateRect{};
  ::GetClientRect(hwnd_, &templateRect);
  if (SetUpShape(skin::LoadResourceBitmap(IDB_SETTINGS), skin::LoadResourceBitmap(IDB_SETTINGS))) {
    FitControlsToBackground(templateRect.right, templateRect.bottom);
  }
  ApplyTexts();
  FillStandbyList();
  EnumerateDevices(GlobalDeviceList());
  editor_.ReadStatusAtOpen();
  SetUpButtons();
  ShowSpm(editor_.Settings().spmOn);
  minimiseImage_ = skin::LoadResourceBitmap(IDB_MINIMISE);
  closeImage_ = skin::LoadResourceBitmap(IDB_CLOSE);
  ::SendDlgItemMessageW(hwnd_, IDC_MINIMISE, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(minimiseImage_));
  ::SendDlgItemMessageW(hwnd_, IDC_CLOSE, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(closeImage_));
  return true;
}

// The template's dialog units follow the dialog font, which differs between
// systems and languages; the background is drawn for the template's layout.
// Every control keeps its place relative to the template's size, so it lands
// on its spot of the picture whatever the font.
void CSettingsDlg::FitControlsToBackground(int templateWidth, int templateHeight) {
  if (templateWidth <= 0 || templateHeight <= 0 || Width() <= 0 || Height() <= 0) return;
  for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const int left = ::MulDiv(r.left, Width(), templateWidth), top = ::MulDiv(r.top, Height(), templateHeight);
    const int right = ::MulDiv(r.right, Width(), templateWidth);
    const int bottom = ::MulDiv(r.bottom, Height(), templateHeight);
    ::SetWindowPos(child, nullptr, left, top, right - left, bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CSettingsDlg::ApplyTexts() {
  SetText(Localised("MainCaption", "Power Management tool"));
  SetItemText(IDC_STANDBY_LABEL, Localised("ApmStatus", "Enter Standby: "));
  SetItemText(IDC_ON_LABEL, Localised("SpmOnCaption", "on"));
  SetItemText(IDC_OFF_LABEL, Localised("SpmOffCaption", "off"));
}

void CSettingsDlg::FillStandbyList() {
  HWND list = Item(IDC_STANDBY_LIST);
  ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kStandbyEntryCount; ++i) {
    const std::wstring text = AnsiToWide(StandbyEntryText(i));
    ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

std::unique_ptr<skin::CFxButton> CSettingsDlg::Bind(int id) {
  auto b = std::make_unique<skin::CFxButton>();
  b->SubclassDlgItem(id, *this);
  return b;
}

void CSettingsDlg::SetUpButtons() {
  using namespace skin;
  HBITMAP background = ButtonBackground();
  struct Push {
    std::unique_ptr<CFxButton>* slot;
    int id;
    const char* key;
    const char* text;
  };
  const Push pushes[] = {{&save_, IDOK, "OkButton", "Save"},
                         {&exit_, IDCANCEL, "CancelButton", "Exit"},
                         {&default_, IDC_DEFAULT, "DefaultButton", "Default"}};
  for (const Push& p : pushes) {
    auto b = Bind(p.id);
    b->SetStateBitmaps(IDB_PUSH_FACE, true);
    b->SetStateKeyColor(kKeyBlack, true);
    b->SetStateBorderDepths(0, true);
    b->SetStateBlend(150, false, 30, 255, 255);
    b->SetCorners(35, 35);
    b->SetStateWindowShape(true, true);
    b->SetBackgroundShift(false);
    b->SetFocusBlendBoost(50);
    b->SetStateTexts(Localised(p.key, p.text), true);
    b->SetStateFontHeights(13, true);
    b->SetSounds(IDW_BUTTON_SOUND, IDW_BUTTON_SOUND);
    b->Apply(background, kNoFocusRect, 0);
    *p.slot = std::move(b);
  }

  logo_ = Bind(IDC_LOGO);
  logo_->SetStateBitmapFiles(L"Logo.bmp", true);
  logo_->SetStateKeyColor(kKeyBlack, true);
  logo_->SetStateBorderDepths(0, true);
  logo_->SetStateBorderStyles(kBorderFlat, true);
  logo_->SetStateBlend(255, true);
  logo_->Apply(background, kNoFocusRect, 0);

  web_ = Bind(IDC_WEB_ADDRESS);
  web_->SetStateBitmapFiles(L"URL.bmp", true);
  web_->SetStateKeyColor(kWhite, true);
  web_->SetStateBorderDepths(0, true);
  web_->SetStateBorderStyles(kBorderFlat, true);
  web_->SetStateBlend(255, true);
  web_->Apply(background, kNoFocusRect, 0);

  on_ = Bind(IDC_SPM_ON);
  on_->SetStateBitmaps(IDB_SWITCH_OFF, false, IDB_SWITCH_ON, IDB_SWITCH_OFF, IDB_SWITCH_OFF);
  on_->SetStateKeyColor(kKeyBlack, true);
  on_->SetStateBorderDepths(0, true);
  on_->SetStateBorderStyles(kBorderFlat, true);
  on_->SetStateBlend(180, false, 255, 255, 255);
  on_->SetCorners(50, 50);
  on_->SetStateWindowShape(true, true);
  on_->SetSounds(IDW_BUTTON_SOUND, 0);
  off_ = Bind(IDC_SPM_OFF);
  off_->CopyStyleFrom(*on_);
  off_->SetStateBitmaps(IDB_SWITCH_OFF, false, IDB_SWITCH_ON, IDB_SWITCH_OFF, IDB_SWITCH_OFF);
  const bool spm = editor_.Settings().spmOn;
  on_->Apply(background, kNoFocusRect, spm ? 1 : 0);
  off_->Apply(background, kNoFocusRect, spm ? 0 : 1);

  struct Heading {
    std::unique_ptr<CFxButton>* slot;
    int id;
    const char* key;
    const char* text;
    const char* tipKey;
    const char* tip;
  };
  const Heading headings[] = {
      {&apmHeading_, IDC_APM_HEADING, "ApmCaption", "Aggressive Power Management", "ApmDesc",
       "HD will enter standby mode when time out"},
      {&spmHeading_, IDC_SPM_HEADING, "SpmCaption", "System Power Management", "SpmDesc",
       "HD will enter standby mode when system suspend"}};
  for (const Heading& h : headings) {
    auto b = Bind(h.id);
    b->SetStateBorderDepths(0, true);
    b->SetStateBorderStyles(kBorderFlat, true);
    b->SetStateTextColors(kWhite, false, kWhite, kWhite, CFxButton::GreyTextColour());
    b->SetStateTexts(Localised(h.key, h.text), true);
    b->Apply(background, kNoFocusRect, 0);
    b->SetTooltip(Localised(h.tipKey, h.tip), ::GetSysColor(COLOR_INFOTEXT), ::GetSysColor(COLOR_INFOBK));
    *h.slot = std::move(b);
  }
}

void CSettingsDlg::OnOK() {
  if (editor_.Save()) EndDialog(IDOK);
}

void CSettingsDlg::OnDefault() {
  editor_.RestoreDefaults();
  ShowSpm(editor_.Settings().spmOn);
}

void CSettingsDlg::OnStandbyChange() {
  editor_.ChooseEntry(static_cast<int>(::SendDlgItemMessageW(hwnd_, IDC_STANDBY_LIST, CB_GETCURSEL, 0, 0)));
}

void CSettingsDlg::OnSpmOn() { editor_.ChooseSpm(true); }
void CSettingsDlg::OnSpmOff() { editor_.ChooseSpm(false); }
void CSettingsDlg::OnMinimise() { Show(SW_MINIMIZE); }
void CSettingsDlg::OnClose() { EndDialog(IDCANCEL); }

LRESULT CSettingsDlg::OnSysCommand(WPARAM wp, LPARAM) {
  const UINT command = static_cast<UINT>(wp & 0xFFF0);
  if (command == IDM_ABOUTBOX || (wp >= 16 && wp <= 31)) {
    fw::CDialog about(IDD_ABOUTBOX);
    about.DoModal(hwnd_);
    return 0;
  }
  DefaultHandling();
  return 0;
}

LRESULT CSettingsDlg::OnPaint(WPARAM wp, LPARAM lp) {
  if (!::IsIconic(hwnd_)) {
    LRESULT r = 0;
    CShapedDialog::HandleMessage(WM_PAINT, wp, lp, r);
    return r;
  }
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT r{};
  ::GetClientRect(hwnd_, &r);
  const int w = ::GetSystemMetrics(SM_CXICON), h = ::GetSystemMetrics(SM_CYICON);
  ::DrawIcon(dc, (r.right - r.left - w + 1) / 2, (r.bottom - r.top - h + 1) / 2, bigIcon_);
  ::EndPaint(hwnd_, &ps);
  return 0;
}

LRESULT CSettingsDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(smallIcon_); }

void CSettingsDlg::ShowSpm(bool on) {
  if (on_ && off_) {
    on_->Send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED);
    off_->Send(BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED);
  } else {
    ::CheckDlgButton(hwnd_, IDC_SPM_ON, on ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd_, IDC_SPM_OFF, on ? BST_UNCHECKED : BST_CHECKED);
  }
}

void CSettingsDlg::SelectEntry(int entry) {
  ::SendDlgItemMessageW(hwnd_, IDC_STANDBY_LIST, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

void CSettingsDlg::BeginWait() { savedCursor_ = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT)); }

void CSettingsDlg::EndWait() {
  ::SetCursor(savedCursor_ ? savedCursor_ : ::LoadCursor(nullptr, IDC_ARROW));
  savedCursor_ = nullptr;
}

}  // namespace zel
