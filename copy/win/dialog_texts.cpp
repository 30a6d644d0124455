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

void AddColumn(fw::CListView& list, int index, const std::wstring& title, int width) {
  constexpr int kHeaderMargin = 16;  // the header's padding either side and its divider
  const int needed =
      static_cast<int>(list.Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(title.c_str()))) + kHeaderMargin;
  list.InsertColumn(index, title, needed > width ? needed : width);
}

}  // namespace zel
