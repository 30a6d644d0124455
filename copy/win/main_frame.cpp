#include "copy/win/main_frame.h"

#include <dbt.h>

#include "common/aspi.h"
#include "common/disk_record.h"
#include "copy/button_latch.h"
#include "copy/main_frame_rules.h"
#include "copy/win/disk_overview_window.h"
#include "copy/win/progress_dialog.h"
#include "copy/win/resource.h"
#include "framework/handles.h"
#include "framework/html_help.h"
#include "framework/menu.h"

namespace zel {
namespace {

constexpr UINT kTrayMessage = WM_USER;
constexpr UINT kTrayId = IDI_TRAY;
const wchar_t kFrameTitle[] = L"Zel-P Button Triggered USB Copy Utility";

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CMainFrame, fw::CFrame)
  OnMessage(WM_CREATE, &CMainFrame::OnCreate),
  OnMessage(WM_DESTROY, &CMainFrame::OnDestroy),
  OnCommand(ID_CONFIGURATION, &CMainFrame::OnConfiguration),
  OnMessage(WM_TIMER, &CMainFrame::OnTimer),
  OnMessage(kTrayMessage, &CMainFrame::OnTrayNotify),
  OnMessage(WM_DEVICECHANGE, &CMainFrame::OnDeviceChange),
  OnCommand(ID_HELP, &CMainFrame::OnHelp),
ZEL_END_MESSAGE_MAP()

CMainFrame::CMainFrame(const CorvexStartup& startup, ButtonLatch& latch) : startup_(startup), latch_(latch) {}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create() {
  // Caption, system menu and sizing border, without the client edge; the
  // frame stays hidden for the whole run.
  fw::FrameStyle style{WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0};
  return CreateFromResource(IDR_MAINFRAME, kFrameTitle, style);
}

LRESULT CMainFrame::OnCreate(WPARAM, LPARAM) {
  DiskList& disks = GlobalDiskList();
  watch_.reset();  // no button run is in progress
  if (startup_.discover) startup_.discover(disks);  // a failure leaves what was found

  HICON icon = static_cast<HICON>(
      ::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                   ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
  tray_.Fill(hwnd_, kTrayId, kTrayMessage, icon, TrayTip(ReadAppDescription()), fw::CTrayIcon::Form::kOriginal);

  ButtonWatchHost& host = *this;
  watch_ = std::make_unique<ButtonWatch>(host, latch_, disks, startup_.discover, ReadButtonMode());

  LocaliseTrayMenu();
  tray_.Add();
  ResetButtonLatches(latch_, disks);
  StartPollTimer();
  // The configuration window opens once the frame exists (its modal loop
  // does not run inside the frame's creation).
  if (startup_.switches.openConfiguration) Post(WM_COMMAND, MAKEWPARAM(ID_CONFIGURATION, 0), 0);
  return 0;
}

void CMainFrame::LocaliseTrayMenu() {
  HMENU popup = FirstPopup();
  if (!popup) return;
  for (const MenuText& item : LocalisedTrayMenuTexts()) fw::SetMenuTextByPosition(popup, item.position, item.text);
}

LRESULT CMainFrame::OnDestroy(WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  CFrame::HandleMessage(WM_DESTROY, wp, lp, r);  // the framework's destruction
  tray_.Delete();
  StopPollTimer();
  if (startup_.family == SystemFamily::Win98) UnloadAspi();
  return 0;
}

void CMainFrame::OnConfiguration() {
  if (watch_ && watch_->ButtonRunActive()) {
    ShowWaitForCopyRun(reinterpret_cast<uintptr_t>(hwnd_));
    return;
  }
  fw::NamedMutex guard = fw::CreateNamedMutex(L"CorvexConfig", false);
  if (guard.existed) return;  // the window is already open
  SetForeground();
  auto window = std::make_unique<CDiskOverviewWindow>(watch_ ? watch_->ButtonMode() : ReadButtonMode(),
                                                       startup_.switches.noDialog);
  openConfiguration_ = window.get();
  window->DoModal(nullptr);
  openConfiguration_ = nullptr;
}

LRESULT CMainFrame::OnTimer(WPARAM id, LPARAM) {
  if (watch_) {
    if (id == kPollTimerId) watch_->Poll();
    if (id == kRescanTimerId) watch_->Rescan();
  }
  DefaultHandling();
  return 0;
}

LRESULT CMainFrame::OnTrayNotify(WPARAM, LPARAM mouseMessage) {
  return AnswerTrayMouse(mouseMessage, [this] { OnConfiguration(); });
}

LRESULT CMainFrame::OnDeviceChange(WPARAM event, LPARAM header) {
  uint32_t type = 0xFFFFFFFF;
  if ((event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE) && header) {
    type = reinterpret_cast<const DEV_BROADCAST_HDR*>(header)->dbch_devicetype;
  }
  if (!watch_) return TRUE;
  return watch_->DeviceChange(static_cast<uint32_t>(event), type) ? TRUE : FALSE;
}

void CMainFrame::OnHelp() { fw::ShowHelpFile(nullptr, L"Corvex.chm"); }

void CMainFrame::StartPollTimer() { SetTimer(kPollTimerId, kPollPeriodMs); }
void CMainFrame::StopPollTimer() { KillTimer(kPollTimerId); }
void CMainFrame::StartRescanTimer() { SetTimer(kRescanTimerId, kRescanPeriodMs); }
void CMainFrame::StopRescanTimer() { KillTimer(kRescanTimerId); }

void CMainFrame::BeginButtonRun() { progress_ = std::make_unique<CopyProgressDialog>(); }

void CMainFrame::RunCopy(uint32_t diskIndex, uint8_t direction) {
  if (!progress_) progress_ = std::make_unique<CopyProgressDialog>();
  progress_->SetDiskIndex(static_cast<uint8_t>(diskIndex));
  progress_->SetDirection(direction);
  progress_->SetButtonMode(watch_ ? watch_->ButtonMode() : 1);
  progress_->DoModal(nullptr);
}

void CMainFrame::EndButtonRun() { progress_.reset(); }

void CMainFrame::RefreshConfiguration() {
  if (openConfiguration_) openConfiguration_->Refresh();
}

}  // namespace zel
