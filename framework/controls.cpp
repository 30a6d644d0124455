#include "framework/controls.h"

#include <vector>

namespace zel::fw {

std::wstring CComboBox::ItemText(int index) const {
  LRESULT n = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (n == CB_ERR) return {};
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1, L'\0');
  Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
  return buf.data();
}

int CListView::InsertColumn(int index, const std::wstring& title, int width) {
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = const_cast<wchar_t*>(title.c_str());
  col.cx = width;
  col.iSubItem = index;
  return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col)));
}

int CListView::AddRow(const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = Count();
  item.pszText = const_cast<wchar_t*>(text.c_str());
  return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void CListView::SetCell(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring CListView::Cell(int row, int column, size_t capacity) const {
  std::vector<wchar_t> buf(capacity + 1, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buf.data();
  item.cchTextMax = static_cast<int>(capacity);
  Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buf.data();
}

HTREEITEM CTreeView::InsertItem(const std::wstring& text, HTREEITEM parent, HTREEITEM after) {
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent;
  ins.hInsertAfter = after;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<wchar_t*>(text.c_str());
  return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

std::wstring CTreeView::ItemText(HTREEITEM handle, size_t capacity) const {
  std::vector<wchar_t> buf(capacity + 1, L'\0');
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = handle;
  item.pszText = buf.data();
  item.cchTextMax = static_cast<int>(capacity);
  Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return buf.data();
}

}  // namespace zel::fw
