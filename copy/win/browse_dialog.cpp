#include "copy/win/browse_dialog.h"

#include <vector>

#include "common/disk_record.h"
#include "copy/browse_folders.h"
#include "copy/win/dialog_texts.h"
#include "copy/win/resource.h"

namespace zel {
namespace {

// Images of the tree, loaded from the shell library by icon number.
constexpr int kShellIcons[] = {8, 1, 4, 5};
constexpr int kDriveImage = 0, kFolderImage = 2, kOpenFolderImage = 3;

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CBrowseDialog, fw::CDialog)
  OnNotify(TVN_ITEMEXPANDINGW, IDC_FOLDER_TREE, &CBrowseDialog::OnExpanding),
  OnNotify(TVN_ITEMEXPANDINGA, IDC_FOLDER_TREE, &CBrowseDialog::OnExpanding),
  OnMessage(WM_DESTROY, &CBrowseDialog::OnDestroy),
ZEL_END_MESSAGE_MAP()

CBrowseDialog::CBrowseDialog(uint8_t disk, int side) : CDialog(IDD_BROWSE_FOLDER), disk_(disk), side_(side) {}

CBrowseDialog::~CBrowseDialog() {
  if (images_) ImageList_Destroy(images_);
}

bool CBrowseDialog::OnInitDialog() {
  LocaliseCaption(*this, L"BrowseDirDlgCaption");
  LocaliseItem(*this, IDC_DIRECTORY_LABEL, L"DirectoryString");
  LocaliseItem(*this, IDOK, L"SelectButton");
  LocaliseItem(*this, IDCANCEL, L"CancelButton");
  tree_.Attach(Item(IDC_FOLDER_TREE));

  shell_ = ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0);
  for (int number : kShellIcons) {
    HICON icon = shell_ ? static_cast<HICON>(::LoadImageW(shell_, MAKEINTRESOURCEW(number), IMAGE_ICON, 16, 16, 0))
                        : nullptr;
    if (icon == nullptr) icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // keeps the image numbers
    ImageList_AddIcon(images_, icon);
    ::DestroyIcon(icon);
  }
  tree_.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));

  HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // the wait cursor
  for (wchar_t letter : BrowseRoots(GlobalDiskList(), disk_, side_)) {
    const std::wstring root{letter, L':'};
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(root.c_str());
    insert.item.iImage = insert.item.iSelectedImage = kDriveImage;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(tree_.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    AddFolders(item, root);
  }
  ::SetCursor(previous);
  return true;
}

void CBrowseDialog::AddFolders(HTREEITEM parent, const std::wstring& path) {
  for (const std::wstring& name : SubfolderNames(path)) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(name.c_str());
    insert.item.iImage = kFolderImage;
    insert.item.iSelectedImage = kOpenFolderImage;
    tree_.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  }
}

std::wstring CBrowseDialog::ItemPath(HTREEITEM item) const {
  std::vector<std::wstring> names;
  for (HTREEITEM at = item; at != nullptr; at = tree_.Parent(at)) names.insert(names.begin(), tree_.ItemText(at));
  return FolderPath(names);
}

// Expanding an item fills each of its children with their own folders, once.
LRESULT CBrowseDialog::OnExpanding(NMHDR* header) {
  const auto* view = reinterpret_cast<const NMTREEVIEWW*>(header);
  if (view->action != TVE_EXPAND) return FALSE;
  HTREEITEM item = view->itemNew.hItem;
  const std::wstring path = ItemPath(item);
  for (HTREEITEM child = tree_.Child(item); child != nullptr; child = tree_.NextSibling(child)) {
    if (tree_.Child(child) == nullptr) AddFolders(child, path + L"\\" + tree_.ItemText(child));
  }
  return FALSE;
}

void CBrowseDialog::OnOK() {
  HTREEITEM item = tree_.Selection();
  if (item == nullptr) return;
  path_ = ItemPath(item);
  EndDialog(IDOK);
}

LRESULT CBrowseDialog::OnDestroy(WPARAM, LPARAM) {
  if (shell_) ::FreeLibrary(shell_);
  shell_ = nullptr;
  DefaultHandling();
  return 0;
}

}  // namespace zel
