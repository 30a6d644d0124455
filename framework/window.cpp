#include "framework/window.h"

#include <vector>

#include "framework/text_edge.h"

namespace zel::fw {
namespace {

const wchar_t kObjectProperty[] = L"ZelFrameworkObject";
HINSTANCE g_resourceModule = nullptr;

}  // namespace

HINSTANCE ResourceModule() { return g_resourceModule ? g_resourceModule : ::GetModuleHandleW(nullptr); }
void SetResourceModule(HINSTANCE module) { g_resourceModule = module; }

CWindow::~CWindow() {
  // An object that goes away before its window stops receiving its messages.
  if (hwnd_ && FromHandle(hwnd_) == this) {
    if (previousProc_) {
      ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    }
    ::RemovePropW(hwnd_, kObjectProperty);
  }
}

HWND CWindow::Detach() {
  HWND h = hwnd_;
  hwnd_ = nullptr;
  return h;
}

CWindow* CWindow::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<CWindow*>(::GetPropW(hwnd, kObjectProperty));
}

void CWindow::Bind(HWND hwnd) {
  hwnd_ = hwnd;
  ::SetPropW(hwnd, kObjectProperty, this);
}

void CWindow::Unbind() {
  if (hwnd_) ::RemovePropW(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}

bool CWindow::Subclass(HWND hwnd) {
  if (!hwnd || FromHandle(hwnd)) return false;
  Bind(hwnd);
  previousProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindow::SubclassProc)));
  return previousProc_ != nullptr;
}

bool CWindow::SubclassDlgItem(int id, const CWindow& parent) { return Subclass(parent.Item(id)); }

LRESULT CALLBACK CWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  CWindow* self = FromHandle(hwnd);
  if (!self) return ::DefWindowProcW(hwnd, message, wp, lp);
  if (message == WM_NCDESTROY) {
    WNDPROC previous = self->previousProc_;
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    self->previousProc_ = nullptr;
    self->Unbind();
    LRESULT r = ::CallWindowProcW(previous, hwnd, message, wp, lp);
    self->OnFinalMessage();
    return r;
  }
  return self->Route(message, wp, lp);
}

LRESULT CWindow::DefaultProcedure(UINT message, WPARAM wp, LPARAM lp) {
  if (previousProc_) return ::CallWindowProcW(previousProc_, hwnd_, message, wp, lp);
  return ::DefWindowProcW(hwnd_, message, wp, lp);
}

bool CWindow::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CWindow::ReflectToChild(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) {
  HWND child = nullptr;
  switch (message) {
    case WM_DRAWITEM:
      if (lp) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
      break;
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_HSCROLL:
    case WM_VSCROLL:
      child = reinterpret_cast<HWND>(lp);
      break;
    case WM_NOTIFY:
      if (lp) child = reinterpret_cast<const NMHDR*>(lp)->hwndFrom;
      break;
    default:
      return false;
  }
  CWindow* object = FromHandle(child);
  if (!object || object == this || !object->previousProc_) return false;
  return object->HandleMessage(kReflect + message, wp, lp, result);
}

LRESULT CWindow::Route(UINT message, WPARAM wp, LPARAM lp) {
  try {
    LRESULT result = 0;
    if (ReflectToChild(message, wp, lp, result)) return result;
    if (HandleMessage(message, wp, lp, result)) return result;
  } catch (...) {
    // A handler's failure must not unwind through the system's code.
  }
  return DefaultProcedure(message, wp, lp);
}

BOOL CWindow::Destroy() { return hwnd_ ? ::DestroyWindow(hwnd_) : FALSE; }

std::wstring CWindow::Text() const {
  int n = ::GetWindowTextLengthW(hwnd_);
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 2, L'\0');
  int got = ::GetWindowTextW(hwnd_, buf.data(), n + 1);
  return std::wstring(buf.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void CWindow::SetText(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }
std::string CWindow::TextA() const { return NarrowFromWindow(Text()); }
void CWindow::SetTextA(const std::string& text) { SetText(WideForWindow(text)); }

std::wstring CWindow::ItemText(int id) const {
  CWindow item;
  item.Attach(Item(id));
  std::wstring t = item.Text();
  item.Detach();
  return t;
}

void CWindow::SetItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(hwnd_, id, text.c_str()); }
void CWindow::SetItemTextA(int id, const std::string& text) { SetItemText(id, WideForWindow(text)); }

}  // namespace zel::fw
