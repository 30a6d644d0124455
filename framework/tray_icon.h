// The notification-area icon of a hidden frame: the registration data, kept
// for the life of the frame, and its add and delete calls.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace zel::fw {

class CTrayIcon {
 public:
  // The registration's size: the first form (tip of 64 characters, the form
  // Corvex and Dormel register) or the later one (tip of 128 characters).
  enum class Form { kOriginal, kLongTip };

  CTrayIcon() = default;
  ~CTrayIcon() { Delete(); }
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Fills the registration: message, icon and tip flags. A tip longer than
  // the form holds is cut (callers cut it by their own rule first).
  void Fill(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip, Form form);
  bool Add();
  bool Delete();
  bool Added() const { return added_; }
  const NOTIFYICONDATAW& Data() const { return data_; }
  // Characters of tip text the form holds, without the terminator.
  static size_t TipCapacity(Form form) { return form == Form::kOriginal ? 63 : 127; }

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

}  // namespace zel::fw
