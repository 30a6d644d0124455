#include <windows.h>
// The port's member is called MessageBox; the system header's macro of that
// name must not rename it.
#undef MessageBox

#include "framework/message_box_prompter.h"

namespace zel::fw {

int MessageBoxPrompter::MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                                   uint32_t style) {
  return ::MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

}  // namespace zel::fw
