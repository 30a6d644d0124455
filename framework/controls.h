// Thin wrappers over the standard and common controls: each is a CWindow
// that knows its control's messages. Bind one to a dialog's control with
// Attach(dialog.Item(id)), or derive and Subclass it to take its messages.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/window.h"

namespace zel::fw {

class CButton : public CWindow {
 public:
  int Check() const { return static_cast<int>(Send(BM_GETCHECK)); }
  void SetCheck(int state) { Send(BM_SETCHECK, static_cast<WPARAM>(state)); }
  void Click() { Send(BM_CLICK); }
  DWORD Style() const { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
};

class CStatic : public CWindow {};

class CEdit : public CWindow {
 public:
  void LimitText(int chars) { Send(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
};

class CProgressBar : public CWindow {
 public:
  void SetRange(int low, int high) { Send(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
  // Safe from any thread: the control's own message, sent to its thread.
  void SetPos(int pos) { Send(PBM_SETPOS, static_cast<WPARAM>(pos)); }
  int Pos() const { return static_cast<int>(Send(PBM_GETPOS)); }
};

class CSlider : public CWindow {
 public:
  void SetRange(int low, int high) { Send(TBM_SETRANGE, TRUE, MAKELPARAM(low, high)); }
  void SetPos(int pos) { Send(TBM_SETPOS, TRUE, pos); }
  int Pos() const { return static_cast<int>(Send(TBM_GETPOS)); }
};

class CComboBox : public CWindow {
 public:
  int AddString(const std::wstring& text) {
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  int CurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  void SetCurSel(int index) { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
  void ResetContent() { Send(CB_RESETCONTENT); }
  std::wstring ItemText(int index) const;
};

class CListView : public CWindow {
 public:
  void SetExtendedStyle(DWORD style) { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }
  int InsertColumn(int index, const std::wstring& title, int width);
  // Appends a row with its first column's text; the row's index, or -1.
  int AddRow(const std::wstring& text);
  void SetCell(int row, int column, const std::wstring& text);
  // The cell's text, read with room for `capacity` characters.
  std::wstring Cell(int row, int column, size_t capacity = 260) const;
  int Count() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  bool DeleteRow(int row) { return Send(LVM_DELETEITEM, static_cast<WPARAM>(row)) != 0; }
  void DeleteAll() { Send(LVM_DELETEALLITEMS); }
  // The first selected row at or after `from` + 1, or -1.
  int NextSelected(int from = -1) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(from), LVNI_SELECTED));
  }
};

class CTreeView : public CWindow {
 public:
  HTREEITEM InsertItem(const std::wstring& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
  bool DeleteAll() { return Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)) != 0; }
  HTREEITEM Selection() const { return Item(TVGN_CARET, nullptr); }
  HTREEITEM Parent(HTREEITEM item) const { return Item(TVGN_PARENT, item); }
  HTREEITEM Child(HTREEITEM item) const { return Item(TVGN_CHILD, item); }
  HTREEITEM NextSibling(HTREEITEM item) const { return Item(TVGN_NEXT, item); }
  std::wstring ItemText(HTREEITEM item, size_t capacity = 260) const;
  void Expand(HTREEITEM item) { Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }

 private:
  HTREEITEM Item(UINT relation, HTREEITEM from) const {
    return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
  }
};

}  // namespace zel::fw
