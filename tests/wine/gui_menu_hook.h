// What zelgui.exe and its menu-reading library (zelgui_menu.dll) share.
#pragma once
#include <cstddef>

namespace zelgui {

inline constexpr const wchar_t* kMenuQueryMessage = L"zelgui.menu-items";  // lParam: the menu
inline constexpr const wchar_t* kMenuBlockName = L"zelgui.menu-items";     // the answer, UTF-8 lines
inline constexpr size_t kMenuBlockBytes = 16384;

}  // namespace zelgui
