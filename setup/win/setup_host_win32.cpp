#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "setup/win/setup_host_win32.h"

namespace zel::setup {
namespace {

// A window that takes longer than this to handle the Exit command counts as
// not answering; the close loop then looks again.
constexpr UINT kAnswerTimeoutMs = 5000;

template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
};

// The component object library, initialised around one shortcut.
struct ComScope {
  HRESULT hr = CoInitialize(nullptr);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

long Status(HRESULT hr) { return SUCCEEDED(hr) ? 0 : static_cast<long>(hr); }

}  // namespace

bool Win32SetupHost::ProgramWindowExists(const std::wstring& title) {
  return FindWindowW(nullptr, title.c_str()) != nullptr;
}

void Win32SetupHost::SendExit(const std::wstring& title) {
  if (HWND window = FindWindowW(nullptr, title.c_str())) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer);
  }
}

void Win32SetupHost::Pause(unsigned milliseconds) { Sleep(milliseconds); }

long Win32SetupHost::SpecialFolder(Folder folder, std::wstring& path) {
  int id = CSIDL_PROGRAM_FILES;
  if (folder == Folder::CommonPrograms) id = CSIDL_COMMON_PROGRAMS;
  if (folder == Folder::UserPrograms) id = CSIDL_PROGRAMS;
  wchar_t buf[MAX_PATH] = {};
  const HRESULT hr = SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buf);
  if (FAILED(hr)) return static_cast<long>(hr);
  path = buf;
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path.empty() ? ERROR_PATH_NOT_FOUND : 0;
}

std::wstring Win32SetupHost::WindowsDirectory() {
  wchar_t buf[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring(L"C:\\WINDOWS");
}

// Another program may hold a folder open for a moment after its last file
// went (the shell watching the Start menu, a virus scanner), and the system
// refuses to remove a folder held without leave to delete it. Tried again
// for about a second before the refusal counts.
long Win32SetupHost::RemoveDirectory(const std::wstring& path) {
  for (int attempt = 0;; ++attempt) {
    if (RemoveDirectoryW(path.c_str())) return 0;
    const DWORD e = GetLastError();
    if (e != ERROR_SHARING_VIOLATION || attempt >= 20) return static_cast<long>(e);
    Sleep(50);
  }
}

LinkOutcome Win32SetupHost::WriteShortcut(const LinkRequest& r) {
  LinkOutcome o;
  ComScope com;
  ComPtr<IShellLinkW> link;
  o.createObject = Status(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link.p)));
  if (o.createObject != 0) {
    o.lastError = static_cast<long>(GetLastError());
    return o;
  }
  ComPtr<IPersistFile> file;
  o.fileInterface = Status(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)));
  if (o.fileInterface != 0) {
    o.lastError = static_cast<long>(GetLastError());
    return o;
  }
  o.setTarget = Status(link.p->SetPath(r.target.c_str()));
  o.setWorkDir = Status(link.p->SetWorkingDirectory(r.workDir.c_str()));
  if (!r.arguments.empty()) o.setArguments = Status(link.p->SetArguments(r.arguments.c_str()));
  o.setDescription = Status(link.p->SetDescription(r.description.c_str()));
  o.save = Status(file.p->Save(r.file.c_str(), TRUE));
  o.lastError = static_cast<long>(GetLastError());
  return o;
}

}  // namespace zel::setup
