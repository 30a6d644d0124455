// The browse dialog: a folder tree of the drives one side of a task may use
// (copy/browse_folders.h), filled a level ahead as items are expanded so
// that an item with folders always shows its button.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"

namespace zel {

class CBrowseDialog : public fw::CDialog {
 public:
  CBrowseDialog(uint8_t disk, int side);
  ~CBrowseDialog() override;
  // The chosen folder after Select ("E:" for a drive).
  const std::wstring& Path() const { return path_; }

 private:
  bool OnInitDialog() override;
  void OnOK() override;
  LRESULT OnExpanding(NMHDR* header);
  LRESULT OnDestroy(WPARAM, LPARAM);
  void AddFolders(HTREEITEM parent, const std::wstring& path);
  std::wstring ItemPath(HTREEITEM item) const;

  uint8_t disk_;
  int side_;
  std::wstring path_;
  fw::CTreeView tree_;
  HIMAGELIST images_ = nullptr;
  HMODULE shell_ = nullptr;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
