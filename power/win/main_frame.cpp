#include "power/win/main_frame.h"

#include <memory>

#include "common/aspi.h"
#include "common/device_list.h"
#include "common/text.h"
#include "common/texts.h"
#include "framework/handles.h"
#include "framework/menu.h"
#include "power/win/resource.h"
#include "power/win/settings_dialog.h"

namespace zel {
namespace {

constexpr UINT kTrayMessage = WM_USER;
const wchar_t kFrameTitle[] = L"Power Management Tool";

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CMainFrame, fw::CFrame)
  OnMessage(WM_CREATE, &CMainFrame::OnCreate),
  OnMessage(WM_DESTROY, &CMainFrame::OnDestroy),
  OnCommand(ID_SETTINGS, &CMainFrame::OnSettings),
  OnMessage(kTrayMessage, &CMainFrame::OnTrayNotify),
ZEL_END_MESSAGE_MAP()

bool CMainFrame::Create() {
  // Caption and system menu, without the client edge; hidden for the whole run.
  fw::FrameStyle style{WS_CAPTION | WS_SYSMENU, 0};
  return CreateFromResource(IDR_MAINFRAME, kFrameTitle, style);
}

LRESULT CMainFrame::OnCreate(WPARAM, LPARAM) {
  if (startup_.discover) startup_.discover(GlobalDeviceList());
  HICON icon = static_cast<HICON>(::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTCOLOR | LR_SHARED));
  tray_.Fill(hwnd_, IDI_TRAY, kTrayMessage, icon, DormelTrayTip(), fw::CTrayIcon::Form::kOriginal);
  if (HMENU popup = FirstPopup()) {
    fw::SetMenuTextByPosition(popup, 0, AnsiToWide(zel::TextA("MenuSet", "&Set")));
    fw::SetMenuTextByPosition(popup, 1, AnsiToWide(zel::TextA("MenuExit", "E&xit")));
  }
  tray_.Add();
  // The dialog opens once the frame exists (its modal loop does not run
  // inside the frame's creation).
  if (startup_.openAtStart) Post(WM_COMMAND, MAKEWPARAM(ID_SETTINGS, 0), 0);
  return 0;
}

LRESULT CMainFrame::OnDestroy(WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  CFrame::HandleMessage(WM_DESTROY, wp, lp, r);
  tray_.Delete();
  if (startup_.family == SystemFamily::Win98) UnloadAspi();
  return 0;
}

LRESULT CMainFrame::OnTrayNotify(WPARAM, LPARAM mouseMessage) {
  return AnswerTrayMouse(mouseMessage, [this] { OnSettings(); });
}

void CMainFrame::OnSettings() {
  fw::NamedMutex guard = fw::CreateNamedMutex(L"ZelDormelDlg", false);
  if (guard.existed) return;  // the dialog is already open
  SetForeground();
  auto dialog = std::make_unique<CSettingsDlg>();
  openDialog_ = dialog.get();
  dialog->DoModal(nullptr);
  openDialog_ = nullptr;
}

}  // namespace zel
