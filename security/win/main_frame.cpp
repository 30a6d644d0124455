#include "security/win/main_frame.h"

#include <dbt.h>

#include "common/config.h"
#include "common/device_list.h"
#include "common/texts.h"
#include "framework/handles.h"
#include "framework/menu.h"
#include "framework/text_edge.h"
#include "ports/platform.h"
#include "security/security_window.h"
#include "security/win/resource.h"
#include "security/win/security_dialog.h"

namespace zel {
namespace {

constexpr UINT kTrayMessage = WM_USER;
const wchar_t kFrameTitle[] = L"USB Harddisk Security Tool";
// The disk device interface class.
constexpr GUID kDiskInterface = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CMainFrame, fw::CFrame)
  OnMessage(WM_CREATE, &CMainFrame::OnCreate),
  OnMessage(WM_DESTROY, &CMainFrame::OnDestroy),
  OnMessage(kTrayMessage, &CMainFrame::OnTrayNotify),
  OnMessage(WM_DEVICECHANGE, &CMainFrame::OnDeviceChange),
  OnCommand(ID_STATUS_WINDOW, &CMainFrame::OnOpenMainWindow),
ZEL_END_MESSAGE_MAP()

bool CMainFrame::Create() { return CreateFromResource(IDR_MAINFRAME, kFrameTitle, fw::FrameStyle{}); }

LRESULT CMainFrame::OnCreate(WPARAM, LPARAM) {
  HICON icon = static_cast<HICON>(::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTCOLOR | LR_SHARED));
  std::string tip = ReadString("Installation", "AppDesc", "USB Harddisk Security Tool", 260);
  const size_t capacity = fw::CTrayIcon::TipCapacity(fw::CTrayIcon::Form::kLongTip);
  std::wstring wideTip = fw::WideForWindow(tip);
  if (wideTip.size() > capacity) wideTip.resize(capacity);
  tray_.Fill(hwnd_, IDR_MAINFRAME, kTrayMessage, icon, wideTip, fw::CTrayIcon::Form::kLongTip);
  tray_.Add();
  LocaliseTrayMenu();

  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kDiskInterface;
  notification_ = ::RegisterDeviceNotificationW(hwnd_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  // The main window opens once the frame exists (its modal loop does not
  // run inside the frame's creation).
  if (startup_.openAtStart) Post(WM_COMMAND, MAKEWPARAM(ID_STATUS_WINDOW, 0), 0);
  return 0;
}

void CMainFrame::LocaliseTrayMenu() {
  HMENU popup = FirstPopup();
  if (!popup) return;
  fw::SetMenuTextByPosition(popup, 0, fw::WideForWindow(zel::TextA("MenuStatus", "Setting")));
  fw::SetMenuTextByPosition(popup, 2, fw::WideForWindow(zel::TextA("MenuExit", "Exit")));
}

LRESULT CMainFrame::OnDestroy(WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  CFrame::HandleMessage(WM_DESTROY, wp, lp, r);
  tray_.Delete();
  if (notification_) ::UnregisterDeviceNotification(notification_);
  notification_ = nullptr;
  return 0;
}

LRESULT CMainFrame::OnTrayNotify(WPARAM, LPARAM mouseMessage) {
  return AnswerTrayMouse(mouseMessage, [this] { OnOpenMainWindow(); });
}

void CMainFrame::OnOpenMainWindow() {
  // One main window at a time, whoever asks.
  fw::NamedMutex guard = fw::CreateNamedMutex(L"ZelTessaryStatus", false);
  if (guard.existed) return;
  SetForeground();
  CSecurityDlg window;
  openWindow_ = &window;
  window.DoModal(nullptr);
  openWindow_ = nullptr;
}

LRESULT CMainFrame::OnDeviceChange(WPARAM event, LPARAM header) {
  uint32_t type = 0xFFFFFFFF;
  bool disk = false;
  if ((event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE) && header) {
    const auto* h = reinterpret_cast<const DEV_BROADCAST_HDR*>(header);
    type = h->dbch_devicetype;
    if (type == DBT_DEVTYP_DEVICEINTERFACE) {
      disk = ::IsEqualGUID(reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header)->dbcc_classguid,
                           kDiskInterface) != FALSE;
    }
  }
  const DeviceChangeAction action =
      OnDeviceChangeNotice(startup_.family, static_cast<uint32_t>(event), type, disk);
  if (!action.rescan) return TRUE;
  if (action.pauseMs && Ports().system) Ports().system->Sleep(action.pauseMs);
  EnumerateDevices(GlobalDeviceList());
  if (openWindow_) openWindow_->Refresh();
  return TRUE;
}

}  // namespace zel
