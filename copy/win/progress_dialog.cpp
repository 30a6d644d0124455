#include "copy/win/progress_dialog.h"

#include "copy/copy_run.h"
#include "copy/win/resource.h"

namespace zel {
namespace {

constexpr UINT kViewUpdate = WM_APP + 1;
constexpr UINT_PTR kRunTimer = 1;
constexpr UINT kRunTimerMs = 1000;

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CopyProgressDialog, fw::CDialog)
  OnMessage(WM_TIMER, &CopyProgressDialog::OnTimer),
  OnMessage(kViewUpdate, &CopyProgressDialog::OnViewUpdate),
ZEL_END_MESSAGE_MAP()

CopyProgressDialog::CopyProgressDialog() : CDialog(IDD_COPY_PROGRESS) {}

CopyProgressDialog::~CopyProgressDialog() = default;

bool CopyProgressDialog::OnInitDialog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = Pending{};
    noticePosted_ = false;
  }
  bar_.Attach(Item(IDC_PROGRESS_BAR));
  bar_.SetRange(0, 100);
  CopyView& view = *this;
  run_ = std::make_unique<CopyRun>(view, bridge_);
  run_->SetDiskIndex(diskIndex_);
  run_->SetDirection(direction_);
  run_->SetButtonMode(buttonMode_);
  if (!run_->Start()) {  // nothing to run; the user has been told
    run_.reset();
    EndDialog(0);
    return true;
  }
  SetTimer(kRunTimer, kRunTimerMs);
  return true;
}

void CopyProgressDialog::OnCancel() {
  // The dialog stays open: a confirmed cancel stops the worker, and the timer
  // ends the dialog once it has.
  if (run_ && run_->WorkerRunning()) run_->Cancel();
}

LRESULT CopyProgressDialog::OnTimer(WPARAM id, LPARAM) {
  if (id != kRunTimer || !run_ || run_->WorkerRunning()) return 0;
  KillTimer(kRunTimer);
  OnViewUpdate(0, 0);  // the worker's last texts before the summary
  run_->Tick();        // the summary and the busy indication
  run_.reset();
  EndDialog(0);
  return 0;
}

template <class F>
void CopyProgressDialog::Queue(F change) {
  std::lock_guard<std::mutex> lock(mutex_);
  change(pending_);
  if (!noticePosted_ && hwnd_) noticePosted_ = Post(kViewUpdate) != FALSE;
}

void CopyProgressDialog::SetItemText(int id, const std::wstring& text) {
  Queue([&](Pending& p) { p.texts[id] = text; });
}

void CopyProgressDialog::SetCaption(const std::wstring& text) {
  Queue([&](Pending& p) { p.caption = text; });
}

void CopyProgressDialog::SetProgress(int percent) {
  Queue([&](Pending& p) { p.percent = percent; });
}

LRESULT CopyProgressDialog::OnViewUpdate(WPARAM, LPARAM) {
  Pending now;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now = std::move(pending_);
    pending_ = Pending{};
    noticePosted_ = false;
  }
  for (const auto& [id, text] : now.texts) CDialog::SetItemText(id, text);
  if (now.caption) SetText(*now.caption);
  if (now.percent) bar_.SetPos(*now.percent);
  return 0;
}

}  // namespace zel
