#include "framework/menu.h"

#include <vector>

#include "framework/window.h"

namespace zel::fw {

MenuHandle LoadMenuResource(UINT id) { return MenuHandle(::LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(id))); }

bool SetMenuTextByPosition(HMENU menu, UINT position, const std::wstring& text) {
  if (!menu) return false;
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<wchar_t*>(text.c_str());
  return ::SetMenuItemInfoW(menu, position, TRUE, &info) != FALSE;
}

std::wstring MenuTextByPosition(HMENU menu, UINT position) {
  int n = ::GetMenuStringW(menu, position, nullptr, 0, MF_BYPOSITION);
  if (n <= 0) return {};
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1, L'\0');
  ::GetMenuStringW(menu, position, buf.data(), n + 1, MF_BYPOSITION);
  return buf.data();
}

void TrackPopupAtCursor(HMENU popup, HWND owner) {
  if (!popup) return;
  POINT pt{};
  ::GetCursorPos(&pt);
  ::SetForegroundWindow(owner);
  ::TrackPopupMenu(popup, 0, pt.x, pt.y, 0, owner, nullptr);
  ::PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace zel::fw
