#include "skin/shaped_dialog.h"

#include <cwchar>

#include "skin/dib_region.h"

namespace zel::skin {

CShapedDialog::~CShapedDialog() { Release(); }

void CShapedDialog::Release() {
  if (backgroundDc_) {
    ::SelectObject(backgroundDc_, backgroundOld_);
    ::DeleteDC(backgroundDc_);
    backgroundDc_ = nullptr;
  }
  if (background_) ::DeleteObject(background_);
  if (forButtons_) ::DeleteObject(forButtons_);
  background_ = forButtons_ = nullptr;
}

bool CShapedDialog::SetUpShape(HBITMAP background, HBITMAP forButtons) {
  Release();
  forButtons_ = forButtons;
  if (!background) return false;
  HRGN shape = RegionFromBitmap(background, RGB(0, 0, 0), &width_, &height_);
  HDC own = ::GetDC(hwnd_);
  backgroundDc_ = ::CreateCompatibleDC(own);
  ::ReleaseDC(hwnd_, own);
  background_ = background;
  backgroundOld_ = ::SelectObject(backgroundDc_, background_);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, width_, height_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (shape) ::SetWindowRgn(hwnd_, shape, TRUE);  // the window owns the region now
  return true;
}

ZEL_BEGIN_MESSAGE_MAP(CShapedDialog, fw::CDialog)
  OnMessage(WM_LBUTTONDOWN, &CShapedDialog::OnLeftDown),
  OnMessage(WM_MOUSEMOVE, &CShapedDialog::OnMouseMove),
  OnMessage(WM_LBUTTONUP, &CShapedDialog::OnLeftUp),
  OnMessage(WM_PAINT, &CShapedDialog::OnPaint),
  OnMessage(WM_CTLCOLORSTATIC, &CShapedDialog::OnStaticColour),
  OnMessage(WM_DESTROY, &CShapedDialog::OnDestroy),
ZEL_END_MESSAGE_MAP()

LRESULT CShapedDialog::OnLeftDown(WPARAM, LPARAM lp) {
  if (!dragging_) {
    anchor_ = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    dragging_ = true;
    ::SetCapture(hwnd_);
  }
  DefaultHandling();
  return 0;
}

LRESULT CShapedDialog::OnMouseMove(WPARAM, LPARAM lp) {
  if (dragging_) {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    ::SetWindowPos(hwnd_, nullptr, r.left + x - anchor_.x, r.top + y - anchor_.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  DefaultHandling();
  return 0;
}

LRESULT CShapedDialog::OnLeftUp(WPARAM, LPARAM) {
  if (dragging_) {
    dragging_ = false;
    ::ReleaseCapture();
  }
  DefaultHandling();
  return 0;
}

LRESULT CShapedDialog::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  if (backgroundDc_) ::BitBlt(dc, 0, 0, width_, height_, backgroundDc_, 0, 0, SRCCOPY);
  ::EndPaint(hwnd_, &ps);
  return 0;
}

LRESULT CShapedDialog::OnStaticColour(WPARAM wp, LPARAM lp) {
  wchar_t cls[16] = {};
  ::GetClassNameW(reinterpret_cast<HWND>(lp), cls, 16);
  if (_wcsicmp(cls, L"Static") != 0) {
    DefaultHandling();
    return 0;
  }
  HDC dc = reinterpret_cast<HDC>(wp);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH));
}

LRESULT CShapedDialog::OnDestroy(WPARAM, LPARAM) {
  dragging_ = false;
  DefaultHandling();
  return 0;
}

}  // namespace zel::skin
