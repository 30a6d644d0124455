// The window object every framework class derives from: it owns the link
// between an HWND and a C++ object, routes the window's messages through the
// class's message map, reflects control notifications back to the control
// objects that asked for them, and offers the few calls every window needs
// (texts, timers, show, enable). Texts are wide; the 8-bit programs pass
// theirs through the A forms, which convert with the system code page.
#pragma once
#include <windows.h>

#include <string>

#include "framework/message_map.h"

namespace zel::fw {

// Control notifications that a parent hands back to a subclassed control
// object first (WM_DRAWITEM becomes kReflect + WM_DRAWITEM, and so on).
inline constexpr UINT kReflect = 0xBC00;

class CWindow {
 public:
  CWindow() = default;
  virtual ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  // Wraps an existing window without taking its messages (thin control
  // wrappers). Detach forgets it again.
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND Detach();
  // Takes the messages of an existing window (a dialog's control) through this
  // object's message map; unhandled ones go to the window's own procedure.
  bool Subclass(HWND hwnd);
  bool SubclassDlgItem(int id, const CWindow& parent);

  // The framework object of a window, or null.
  static CWindow* FromHandle(HWND hwnd);

  std::wstring Text() const;
  void SetText(const std::wstring& text);
  std::string TextA() const;             // in the system code page
  void SetTextA(const std::string& text);  // from the system code page
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
  std::wstring ItemText(int id) const;
  void SetItemText(int id, const std::wstring& text);
  void SetItemTextA(int id, const std::string& text);

  UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return ::SetTimer(hwnd_, id, ms, nullptr); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(hwnd_, id); }
  BOOL Show(int how) { return ::ShowWindow(hwnd_, how); }
  BOOL Update() { return ::UpdateWindow(hwnd_); }
  BOOL Enable(bool on) { return ::EnableWindow(hwnd_, on ? TRUE : FALSE); }
  BOOL SetForeground() { return ::SetForegroundWindow(hwnd_); }
  LRESULT Send(UINT message, WPARAM wp = 0, LPARAM lp = 0) const {
    return ::SendMessageW(hwnd_, message, wp, lp);
  }
  BOOL Post(UINT message, WPARAM wp = 0, LPARAM lp = 0) const {
    return ::PostMessageW(hwnd_, message, wp, lp);
  }
  BOOL Destroy();

 protected:
  // The message map's entry point (ZEL_BEGIN_MESSAGE_MAP defines it). True
  // when handled, with the result in `result`.
  virtual bool HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result);
  // What happens to a message no map handled (or one whose handler asked for
  // default handling): the window class's procedure, or the subclassed
  // control's own procedure.
  virtual LRESULT DefaultProcedure(UINT message, WPARAM wp, LPARAM lp);
  // Called once the window is gone (after WM_NCDESTROY).
  virtual void OnFinalMessage() {}

  // Inside a handler: let the default processing run after it as well.
  void DefaultHandling() { handled_ = false; }
  // Used by the message map macros.
  void BeginHandling() { handled_ = true; }
  bool EndHandling() const { return handled_; }

  // Routes one message: reflection to a child object, the map, the default.
  // Never lets an exception through to the system.
  LRESULT Route(UINT message, WPARAM wp, LPARAM lp);
  // Offers a child's notification to the child's object; true when it took it.
  bool ReflectToChild(UINT message, WPARAM wp, LPARAM lp, LRESULT& result);

  void Bind(HWND hwnd);  // links hwnd and this object
  void Unbind();

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
  WNDPROC previousProc_ = nullptr;
  bool handled_ = true;
};

// The module whose resources the program uses.
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);

}  // namespace zel::fw
