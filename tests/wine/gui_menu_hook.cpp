// zelgui_menu.dll: lets zelgui.exe read a pop-up menu of another program.
// A menu's items can only be read inside the process that made it, so the
// driver hooks the window procedures of the menu's thread with this library
// and sends the menu window a query; the hook, running in that thread, writes
// one line per item ("text<TAB>enabled|grayed") into a shared block the
// driver reads back.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "gui_menu_hook.h"

namespace {

std::string Utf8(const wchar_t* w) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
  s.resize(static_cast<size_t>(n - 1));
  return s;
}

void WriteItems(HMENU menu) {
  HANDLE block = ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, zelgui::kMenuBlockName);
  if (!block) return;
  auto* out = static_cast<char*>(::MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, zelgui::kMenuBlockBytes));
  if (out) {
    std::string lines;
    const int count = ::GetMenuItemCount(menu);
    if (count < 0) lines = "error " + std::to_string(::GetLastError());
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      ::GetMenuStringW(menu, static_cast<UINT>(i), text, 255, MF_BYPOSITION);
      const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
      lines += Utf8(text) + ((state & (MF_GRAYED | MF_DISABLED)) ? "\tgrayed\n" : "\tenabled\n");
    }
    lines.resize(std::min(lines.size(), zelgui::kMenuBlockBytes - 1));
    std::memcpy(out, lines.c_str(), lines.size() + 1);
    ::UnmapViewOfFile(out);
  }
  ::CloseHandle(block);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuQueryHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT query = ::RegisterWindowMessageW(zelgui::kMenuQueryMessage);
  if (code == HC_ACTION) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (sent->message == query) WriteItems(reinterpret_cast<HMENU>(sent->lParam));
  }
  return ::CallNextHookEx(nullptr, code, wp, lp);
}
