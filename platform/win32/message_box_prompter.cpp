#include <windows.h>

#include "platform/win32/message_box_prompter.h"

namespace zel {

int MessageBoxPrompter::MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                                   uint32_t style) {
  return MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

}  // namespace zel
