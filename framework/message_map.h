// Message maps: a class lists which window messages, commands and control
// notifications go to which of its members, in one table that reads like
// the class's contract with the window system:
//
//   ZEL_BEGIN_MESSAGE_MAP(CMainFrame, CFrame)
//     OnMessage(WM_CREATE, &CMainFrame::OnCreate),
//     OnCommand(kIdConfig, &CMainFrame::OnConfig),
//     OnControl(CBN_SELCHANGE, 1010, &CMainFrame::OnTimerChoice),
//     OnNotify(TVN_SELCHANGEDW, 1001, &CMainFrame::OnTreeSelection),
//   ZEL_END_MESSAGE_MAP()
//
// Entries are tried in order; the first that matches handles the message.
// A handler may call CWindow::DefaultHandling() to let the system's default
// processing run as well. Unmatched messages go to the base class's map.
#pragma once
#include <windows.h>

#include <cstddef>

namespace zel::fw {

template <class T>
struct MessageEntry {
  enum Kind { kMessage, kCommand, kControl, kNotify };
  Kind kind;
  UINT message;  // kMessage
  UINT id;       // kCommand, kControl, kNotify: command or control id
  UINT code;     // kControl: WM_COMMAND notification code; kNotify: NMHDR code
  LRESULT (T::*onMessage)(WPARAM, LPARAM);
  void (T::*onCommand)();
  LRESULT (T::*onNotify)(NMHDR*);
};

// Any window message; the handler gets the message's parameters.
template <class T>
constexpr MessageEntry<T> OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
  return {MessageEntry<T>::kMessage, message, 0, 0, handler, nullptr, nullptr};
}
// A menu or accelerator command, or a button's click (notification code 0).
template <class T>
constexpr MessageEntry<T> OnCommand(UINT id, void (T::*handler)()) {
  return {MessageEntry<T>::kCommand, WM_COMMAND, id, 0, nullptr, handler, nullptr};
}
// A control's WM_COMMAND notification with the given code.
template <class T>
constexpr MessageEntry<T> OnControl(UINT code, UINT id, void (T::*handler)()) {
  return {MessageEntry<T>::kControl, WM_COMMAND, id, code, nullptr, handler, nullptr};
}
// A control's WM_NOTIFY notification with the given code.
template <class T>
constexpr MessageEntry<T> OnNotify(UINT code, UINT id, LRESULT (T::*handler)(NMHDR*)) {
  return {MessageEntry<T>::kNotify, WM_NOTIFY, id, code, nullptr, nullptr, handler};
}

// True when `entry` takes this message.
template <class T>
bool Matches(const MessageEntry<T>& entry, UINT message, WPARAM wp, LPARAM lp) {
  switch (entry.kind) {
    case MessageEntry<T>::kMessage:
      return entry.message == message;
    case MessageEntry<T>::kCommand:
      // Menus and buttons send code 0; accelerators send 1 without a control.
      return message == WM_COMMAND && LOWORD(wp) == entry.id &&
             (HIWORD(wp) == 0 || (HIWORD(wp) == 1 && lp == 0));
    case MessageEntry<T>::kControl:
      return message == WM_COMMAND && LOWORD(wp) == entry.id && HIWORD(wp) == entry.code && lp != 0;
    case MessageEntry<T>::kNotify: {
      if (message != WM_NOTIFY || lp == 0) return false;
      const NMHDR* h = reinterpret_cast<const NMHDR*>(lp);
      return h->idFrom == entry.id && h->code == entry.code;
    }
  }
  return false;
}

template <class T>
LRESULT Invoke(T* self, const MessageEntry<T>& entry, WPARAM wp, LPARAM lp) {
  switch (entry.kind) {
    case MessageEntry<T>::kMessage:
      return (self->*entry.onMessage)(wp, lp);
    case MessageEntry<T>::kCommand:
    case MessageEntry<T>::kControl:
      (self->*entry.onCommand)();
      return 0;
    case MessageEntry<T>::kNotify:
      return (self->*entry.onNotify)(reinterpret_cast<NMHDR*>(lp));
  }
  return 0;
}

}  // namespace zel::fw

// Declares the class's message map (inside the class body).
#define ZEL_DECLARE_MESSAGE_MAP() \
 protected:                      \
  bool HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;

#define ZEL_BEGIN_MESSAGE_MAP(Class, Base)                                                   \
  bool Class::HandleMessage(UINT message_, WPARAM wp_, LPARAM lp_, LRESULT& result_) {      \
    using ThisClass_ = Class;                                                                 \
    using BaseClass_ = Base;                                                                  \
    using namespace ::zel::fw;                                                                \
    static const ::zel::fw::MessageEntry<ThisClass_> entries_[] = {
#define ZEL_END_MESSAGE_MAP()                                                                \
    };                                                                                        \
    for (const auto& e_ : entries_) {                                                         \
      if (::zel::fw::Matches(e_, message_, wp_, lp_)) {                                      \
        BeginHandling();                                                                      \
        result_ = ::zel::fw::Invoke(this, e_, wp_, lp_);                                     \
        if (EndHandling()) return true;                                                       \
        return false;                                                                         \
      }                                                                                       \
    }                                                                                         \
    return BaseClass_::HandleMessage(message_, wp_, lp_, result_);                           \
  }
