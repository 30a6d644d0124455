// zelgui.exe: drives the windows of programs running in the same Wine
// session, for end-to-end tests. It reads one request a line on standard
// input and answers each with a line "ok" or "error <why>", then any data
// lines (each starting with "| "), then a line ".".
//
// A request is a command and key=value arguments separated by tabs:
//   find     title=T | contains=T | class=C  [timeout=MS] [hidden=1] [gone=1]
//            waits until a top-level window matches (or, with gone=1, until
//            none does); data: its handle in hex
//   texts    <window>          the window's class and title, then one line
//                              per child control: id, class, visible, text
//   click    <window> id=N | button=TEXT   clicks a button of the window
//   command  <window> id=N     sends the window the command N (WM_COMMAND)
//   post     <window> msg=N [wparam=N] [lparam=N]
//   rect     <window> [id=N]   its rectangle (or its control N's) on the screen:
//                              left top right bottom
//   send     <window> id=N msg=N [wparam=N] [lparam=N]
//                              sends control N the message; data: the result
//   state    <window> id=N     control N: "enabled" or "disabled", then its check state
//   items    <window> id=N     the item texts of tree view N, depth first, each
//                              indented by two spaces a level
//   selected <window> id=N     the text of the selected item of tree view N
//   rows     <window> id=N     the rows of list view N: the texts of its first
//                              three columns, then "selected" or ""
//   checked  <window> id=N     the check state of its button N (0, 1 or 2)
//   windows                    every visible top-level window: handle, class, title
//   menu     [timeout=MS]      the open pop-up menu: one line per item, its text
//                              (separators empty), then "enabled" or "grayed"
//   devicechange <window> event=arrival|removal letter=L
//                              sends the window the system's notice that the
//                              volume L arrived or went
//   quit
// <window> is handle=HEX or the find arguments (the first match is used;
// `timeout` waits for it). Numbers may be decimal or 0x hex.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gui_menu_hook.h"

namespace {

using Args = std::map<std::string, std::string>;

std::wstring Wide(const std::string& s) {
  int n = ::MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Utf8(const std::wstring& w) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// Line breaks inside a text are shown as \n so that one text stays one line.
std::string OneLine(const std::wstring& w) {
  std::string out;
  for (char c : Utf8(w)) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

long long Number(const std::string& s) { return std::strtoll(s.c_str(), nullptr, 0); }

std::wstring ClassOf(HWND h) {
  wchar_t buf[256] = {};
  ::GetClassNameW(h, buf, 255);
  return buf;
}

// The text of a window of any process (WM_GETTEXT is carried across).
std::wstring TextOf(HWND h) {
  DWORD_PTR len = 0;
  if (!::SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
  std::vector<wchar_t> buf(len + 2, L'\0');
  DWORD_PTR got = 0;
  ::SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                        &got);
  return buf.data();
}

struct Query {
  std::wstring title, contains, cls;
  bool hidden = false;
};

bool Matches(HWND h, const Query& q) {
  if (!q.hidden && !::IsWindowVisible(h)) return false;
  if (!q.cls.empty() && ClassOf(h) != q.cls) return false;
  if (!q.title.empty() || !q.contains.empty()) {
    std::wstring t = TextOf(h);
    if (!q.title.empty() && t != q.title) return false;
    if (!q.contains.empty() && t.find(q.contains) == std::wstring::npos) return false;
  }
  return true;
}

std::vector<HWND> TopLevel() {
  std::vector<HWND> all;
  ::EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND FindOnce(const Query& q) {
  for (HWND h : TopLevel()) {
    if (Matches(h, q)) return h;
  }
  return nullptr;
}

Query QueryFrom(const Args& a) {
  Query q;
  if (auto it = a.find("title"); it != a.end()) q.title = Wide(it->second);
  if (auto it = a.find("contains"); it != a.end()) q.contains = Wide(it->second);
  if (auto it = a.find("class"); it != a.end()) q.cls = Wide(it->second);
  q.hidden = a.count("hidden") && a.at("hidden") == "1";
  return q;
}

// Waits (polling every 50 ms) for a match, or for none with `gone`.
HWND Wait(const Args& a, bool gone, bool& ok) {
  Query q = QueryFrom(a);
  DWORD timeout = a.count("timeout") ? static_cast<DWORD>(Number(a.at("timeout"))) : 0;
  DWORD start = ::GetTickCount();
  while (true) {
    HWND h = FindOnce(q);
    if (gone ? h == nullptr : h != nullptr) {
      ok = true;
      return h;
    }
    if (::GetTickCount() - start >= timeout) {
      ok = false;
      return h;
    }
    ::Sleep(50);
  }
}

HWND Target(const Args& a, std::string& error) {
  if (a.count("handle")) {
    HWND h = reinterpret_cast<HWND>(static_cast<intptr_t>(Number(a.at("handle"))));
    if (!::IsWindow(h)) error = "no such window";
    return h;
  }
  bool ok = false;
  HWND h = Wait(a, false, ok);
  if (!ok) error = "no window matches";
  return h;
}

std::string Hex(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return buf;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> kids;
  ::EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&kids));
  return kids;
}

// Leaves the "&" that marks a mnemonic out, so "&Yes" matches "Yes".
std::wstring WithoutMnemonic(const std::wstring& t) {
  std::wstring out;
  for (wchar_t c : t) {
    if (c != L'&') out.push_back(c);
  }
  return out;
}

// A buffer in the memory of the process that owns a control, through which
// the control's item structures and texts are exchanged.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND control, size_t bytes) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(control, &pid);
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) {
      at_ = static_cast<uint8_t*>(::VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
    }
  }
  ~RemoteBuffer() {
    if (at_) ::VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    if (process_) ::CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  std::string Error() const {
    if (!process_) return "error cannot open the window's process";
    return at_ ? "" : "error no memory in the window's process";
  }
  uint8_t* At(size_t offset) const { return at_ + offset; }
  void Put(size_t offset, const void* what, size_t bytes) const {
    ::WriteProcessMemory(process_, at_ + offset, what, bytes, nullptr);
  }
  std::wstring Text(size_t offset, size_t chars) const {
    std::wstring text(chars, L'\0');
    ::ReadProcessMemory(process_, at_ + offset, text.data(), chars * 2, nullptr);
    text.resize(std::wcslen(text.c_str()));
    return text;
  }

 private:
  HANDLE process_ = nullptr;
  uint8_t* at_ = nullptr;
};

constexpr size_t kTextChars = 512;

std::string TreeItemText(HWND tree, const RemoteBuffer& remote, HTREEITEM item) {
  TVITEMW ask{};
  ask.mask = TVIF_TEXT;
  ask.hItem = item;
  ask.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof(TVITEMW)));
  ask.cchTextMax = kTextChars;
  remote.Put(0, &ask, sizeof ask);
  ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.At(0)));
  return OneLine(remote.Text(sizeof(TVITEMW), kTextChars));
}

// A tree view of another process, depth first, or with `selectedOnly` its
// selected item alone.
std::string TreeItems(HWND tree, bool selectedOnly, std::vector<std::string>& data) {
  RemoteBuffer remote(tree, sizeof(TVITEMW) + kTextChars * 2);
  if (!remote.Error().empty()) return remote.Error();
  auto next = [&](HTREEITEM from, UINT how) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
  };
  if (selectedOnly) {
    HTREEITEM item = next(nullptr, TVGN_CARET);
    if (!item) return "error no item is selected";
    data.push_back(TreeItemText(tree, remote, item));
    return "ok";
  }
  std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM item, int depth) {
    for (; item; item = next(item, TVGN_NEXT)) {
      data.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') + TreeItemText(tree, remote, item));
      walk(next(item, TVGN_CHILD), depth + 1);
    }
  };
  walk(next(nullptr, TVGN_ROOT), 0);
  return "ok";
}

// The rows of a list view of another process.
std::string ListRows(HWND list, std::vector<std::string>& data) {
  RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * 2);
  if (!remote.Error().empty()) return remote.Error();
  const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    std::string line;
    for (int column = 0; column < 3; ++column) {
      LVITEMW ask{};
      ask.iSubItem = column;
      ask.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof(LVITEMW)));
      ask.cchTextMax = kTextChars;
      remote.Put(0, &ask, sizeof ask);
      ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At(0)));
      line += OneLine(remote.Text(sizeof(LVITEMW), kTextChars)) + "\t";
    }
    const auto state = ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED);
    data.push_back(line + ((state & LVIS_SELECTED) ? "selected" : ""));
  }
  return "ok";
}

// The open pop-up menu (the system's menu window class) and its items.
std::string PopupMenuItems(const Args& a, std::vector<std::string>& data) {
  Args query = a;
  query["class"] = "#32768";
  bool ok = false;
  HWND popup = Wait(query, false, ok);
  if (!ok) return "error no open menu";
  auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
  if (!menu) return "error the menu window names no menu";
  // The menu belongs to the other process: its items are read there, by the
  // library beside this program hooked into the menu window's thread.
  static HMODULE library = [] {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    dir.resize(dir.find_last_of(L"\\/") + 1);
    return ::LoadLibraryW((dir + L"zelgui_menu.dll").c_str());
  }();
  auto hook = library ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(library, "MenuQueryHook")))
                      : nullptr;
  if (!hook) return "error cannot load zelgui_menu.dll";
  HANDLE block = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(zelgui::kMenuBlockBytes), zelgui::kMenuBlockName);
  if (!block) return "error cannot make the shared block";
  auto* in = static_cast<char*>(::MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, zelgui::kMenuBlockBytes));
  std::string answer;
  if (in) {
    in[0] = '\0';
    HHOOK hooked = ::SetWindowsHookExW(WH_CALLWNDPROC, hook, library, ::GetWindowThreadProcessId(popup, nullptr));
    if (hooked) {
      DWORD_PTR result = 0;
      ::SendMessageTimeoutW(popup, ::RegisterWindowMessageW(zelgui::kMenuQueryMessage), 0,
                            reinterpret_cast<LPARAM>(menu), SMTO_ABORTIFHUNG, 5000, &result);
      ::UnhookWindowsHookEx(hooked);
      answer.assign(in, strnlen(in, zelgui::kMenuBlockBytes));
    }
    ::UnmapViewOfFile(in);
  }
  ::CloseHandle(block);
  if (answer.empty()) return "error the menu's thread did not answer";
  if (answer.rfind("error", 0) == 0) return answer;
  std::stringstream lines(answer);
  for (std::string line; std::getline(lines, line);) data.push_back(line);
  return "ok";
}

// What the system sends every top-level window when a volume comes or goes.
std::string DeviceChange(HWND h, const Args& a) {
  const std::string event = a.count("event") ? a.at("event") : "";
  const std::string letter = a.count("letter") ? a.at("letter") : "";
  if ((event != "arrival" && event != "removal") || letter.size() != 1 || !std::isalpha(letter[0] & 0xFF)) {
    return "error devicechange takes event=arrival|removal and letter=L";
  }
  DEV_BROADCAST_VOLUME volume{};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << (std::toupper(letter[0] & 0xFF) - 'A');
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(h, WM_DEVICECHANGE, event == "arrival" ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                             reinterpret_cast<LPARAM>(&volume), SMTO_ABORTIFHUNG, 10000, &result)) {
    return "error the window did not answer";
  }
  return "ok";
}

std::string Run(const std::string& command, const Args& a, std::vector<std::string>& data) {
  std::string error;
  if (command == "find") {
    bool gone = a.count("gone") && a.at("gone") == "1";
    bool ok = false;
    HWND h = Wait(a, gone, ok);
    if (!ok) return gone ? "error still there" : "error no window matches";
    if (h) data.push_back(Hex(h));
    return "ok";
  }
  if (command == "windows") {
    for (HWND h : TopLevel()) {
      if (!::IsWindowVisible(h)) continue;
      data.push_back(Hex(h) + "\t" + Utf8(ClassOf(h)) + "\t" + OneLine(TextOf(h)));
    }
    return "ok";
  }
  if (command == "menu") return PopupMenuItems(a, data);
  HWND h = Target(a, error);
  if (!error.empty()) return "error " + error;
  if (command == "devicechange") return DeviceChange(h, a);
  if (command == "texts") {
    data.push_back(Utf8(ClassOf(h)) + "\t" + OneLine(TextOf(h)));
    for (HWND c : Children(h)) {
      data.push_back(std::to_string(::GetDlgCtrlID(c)) + "\t" + Utf8(ClassOf(c)) + "\t" +
                     (::IsWindowVisible(c) ? "visible" : "hidden") + "\t" + OneLine(TextOf(c)));
    }
    return "ok";
  }
  if (command == "click") {
    HWND button = nullptr;
    if (a.count("id")) {
      button = ::GetDlgItem(h, static_cast<int>(Number(a.at("id"))));
    } else if (a.count("button")) {
      std::wstring want = WithoutMnemonic(Wide(a.at("button")));
      for (HWND c : Children(h)) {
        if (WithoutMnemonic(TextOf(c)) == want) {
          button = c;
          break;
        }
      }
    }
    if (!button) return "error no such button";
    int id = ::GetDlgCtrlID(button);
    ::PostMessageW(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    data.push_back(std::to_string(id));
    return "ok";
  }
  if (command == "command") {
    ::PostMessageW(h, WM_COMMAND, MAKEWPARAM(static_cast<UINT>(Number(a.at("id"))), 0), 0);
    return "ok";
  }
  if (command == "post") {
    WPARAM wp = a.count("wparam") ? static_cast<WPARAM>(Number(a.at("wparam"))) : 0;
    LPARAM lp = a.count("lparam") ? static_cast<LPARAM>(Number(a.at("lparam"))) : 0;
    ::PostMessageW(h, static_cast<UINT>(Number(a.at("msg"))), wp, lp);
    return "ok";
  }
  if (command == "owner") {
    data.push_back(Hex(::GetWindow(h, GW_OWNER)));
    return "ok";
  }
  if (command == "send") {
    HWND control = ::GetDlgItem(h, static_cast<int>(Number(a.at("id"))));
    if (!control) return "error no such control";
    WPARAM wp = a.count("wparam") ? static_cast<WPARAM>(Number(a.at("wparam"))) : 0;
    LPARAM lp = a.count("lparam") ? static_cast<LPARAM>(Number(a.at("lparam"))) : 0;
    data.push_back(std::to_string(::SendMessageW(control, static_cast<UINT>(Number(a.at("msg"))), wp, lp)));
    return "ok";
  }
  if (command == "state") {
    HWND c = ::GetDlgItem(h, static_cast<int>(Number(a.at("id"))));
    if (!c) return "error no such control";
    data.push_back(::IsWindowEnabled(c) ? "enabled" : "disabled");
    data.push_back(std::to_string(::SendMessageW(c, BM_GETCHECK, 0, 0)));
    return "ok";
  }
  if (command == "items") {
    HWND c = ::GetDlgItem(h, static_cast<int>(Number(a.at("id"))));
    if (!c) return "error no such control";
    return TreeItems(c, false, data);
  }
  if (command == "selected" || command == "rows") {
    HWND c = ::GetDlgItem(h, static_cast<int>(Number(a.at("id"))));
    if (!c) return "error no such control";
    return command == "rows" ? ListRows(c, data) : TreeItems(c, true, data);
  }
  if (command == "checked") {
    HWND button = ::GetDlgItem(h, static_cast<int>(Number(a.at("id"))));
    if (!button) return "error no such button";
    data.push_back(std::to_string(::SendMessageW(button, BM_GETCHECK, 0, 0)));
    return "ok";
  }
  if (command == "rect") {
    RECT r{};
    if (a.count("id")) h = ::GetDlgItem(h, static_cast<int>(Number(a.at("id"))));
    if (!h) return "error no such control";
    ::GetWindowRect(h, &r);
    data.push_back(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
                   std::to_string(r.bottom));
    return "ok";
  }
  return "error unknown command " + command;
}

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
    if (fields[0] == "quit") break;
    Args args;
    for (size_t i = 1; i < fields.size(); ++i) {
      size_t eq = fields[i].find('=');
      if (eq != std::string::npos) args[fields[i].substr(0, eq)] = fields[i].substr(eq + 1);
    }
    std::vector<std::string> data;
    std::string status;
    try {
      status = Run(fields[0], args, data);
    } catch (const std::exception& e) {
      status = std::string("error ") + e.what();
    }
    std::cout << status << "\n";
    for (const std::string& d : data) std::cout << "| " << d << "\n";
    std::cout << ".\n" << std::flush;
  }
  return 0;
}
