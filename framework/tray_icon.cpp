#include "framework/tray_icon.h"

#include <algorithm>

namespace zel::fw {

#if defined(_WIN32) && !defined(_WIN64)
static_assert(NOTIFYICONDATAW_V1_SIZE == 152, "the first form of the wide registration is 152 bytes");
#endif

void CTrayIcon::Fill(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip,
                     Form form) {
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = form == Form::kOriginal ? NOTIFYICONDATAW_V1_SIZE : NOTIFYICONDATAW_V2_SIZE;
  data_.hWnd = owner;
  data_.uID = id;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  size_t n = std::min(tip.size(), TipCapacity(form));
  std::copy_n(tip.data(), n, data_.szTip);
  data_.szTip[n] = L'\0';
}

bool CTrayIcon::Add() {
  added_ = ::Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return added_;
}

bool CTrayIcon::Delete() {
  if (!added_) return false;
  added_ = false;
  return ::Shell_NotifyIconW(NIM_DELETE, &data_) != FALSE;
}

}  // namespace zel::fw
