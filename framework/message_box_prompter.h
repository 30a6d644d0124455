// The system message box behind the Prompter port (the copy utility's boxes).
#pragma once
#include "platform/prompter.h"

namespace zel::fw {

class MessageBoxPrompter : public Prompter {
 public:
  int MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                 uint32_t style) override;
};

}  // namespace zel::fw
