#include "framework/dialog.h"

namespace zel::fw {
namespace {

// Messages whose dialog-procedure result is the value itself rather than
// TRUE with DWLP_MSGRESULT.
bool ReturnsValueDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

}  // namespace

INT_PTR CDialog::DoModal(HWND owner) {
  return ::DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), owner, &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
  if (hwnd_) ::EndDialog(hwnd_, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDialog*>(lp);
    self->Bind(hwnd);
  }
  CDialog* self = static_cast<CDialog*>(FromHandle(hwnd));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    self->Unbind();
    self->OnFinalMessage();
    return FALSE;
  }
  LRESULT result = 0;
  bool handled = false;
  try {
    handled = self->ReflectToChild(message, wp, lp, result) || self->HandleMessage(message, wp, lp, result);
  } catch (...) {
    handled = false;  // nothing unwinds through the system's dialog manager
  }
  if (!handled) return FALSE;
  if (ReturnsValueDirectly(message)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

bool CDialog::HandleMessage(UINT message, WPARAM wp, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog() ? TRUE : FALSE;
      return true;
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == 0) {
        if (LOWORD(wp) == IDOK) {
          OnOK();
          result = 0;
          return true;
        }
        if (LOWORD(wp) == IDCANCEL) {
          OnCancel();
          result = 0;
          return true;
        }
      }
      return false;
    default:
      return false;
  }
}

}  // namespace zel::fw
