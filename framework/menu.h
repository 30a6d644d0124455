// Menus: texts replaced by position and the pop-up of a tray icon.
#pragma once
#include <windows.h>

#include <string>

#include "framework/handles.h"

namespace zel::fw {

// A menu of the program's resources, owned by the caller (a dialog's
// right-click menu is the first pop-up of such a menu).
MenuHandle LoadMenuResource(UINT id);

// Replaces the text of the item at `position`, keeping its command id (or
// its pop-up). False when there is no such item.
bool SetMenuTextByPosition(HMENU menu, UINT position, const std::wstring& text);
std::wstring MenuTextByPosition(HMENU menu, UINT position);

// Shows `popup` at the cursor with `owner` receiving its command, the way a
// tray icon's menu is shown (the owner is brought to the foreground first so
// that the menu closes when the user clicks elsewhere).
void TrackPopupAtCursor(HMENU popup, HWND owner);

}  // namespace zel::fw
