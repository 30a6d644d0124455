#include "copy/user_message.h"

#include "common/texts.h"
#include "ports/platform.h"

namespace zel {

int ShowMessage(uintptr_t owner, const std::wstring& text, const wchar_t* captionKey,
                const wchar_t* captionDefault, uint32_t style) {
  Prompter* prompter = Ports().prompter;
  if (prompter == nullptr) return 0;
  return prompter->MessageBox(owner, text, TextW(captionKey, captionDefault), style);
}

std::wstring ReplaceNumber(const std::wstring& text, long long n) {
  std::wstring out = text;
  size_t at = out.find(L"%d");
  if (at != std::wstring::npos) out.replace(at, 2, std::to_wstring(n));
  return out;
}

}  // namespace zel
