// The system message box.
#pragma once
#include "ports/prompter.h"

namespace zel {

class MessageBoxPrompter : public Prompter {
 public:
  int MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                 uint32_t style) override;
};

}  // namespace zel
