#include "copy/win/dialog_texts.h"

#include "common/texts.h"

namespace zel {

void LocaliseItem(const fw::CWindow& dialog, int id, const wchar_t* key, const wchar_t* tail) {
  std::wstring text;
  if (FindTextW(key, text)) {
    ::SetDlgItemTextW(dialog.Handle(), id, (text + tail).c_str());
  }
}

void LocaliseCaption(fw::CWindow& dialog, const wchar_t* key) {
  std::wstring text;
  if (FindTextW(key, text)) dialog.SetText(text);
}

}  // namespace zel
