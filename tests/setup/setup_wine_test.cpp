// The setup libraries for real, in a sealed prefix: the driver script puts
// this program, setup_standin.exe, the three libraries and the built Corvex
// program directory into one directory on C: and runs it there. The Tessary
// and Dormel kits carry the stand-in under their names. The program refuses
// to run when any drive but C: is there: install and uninstall delete trees.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace {

using Export = LONG(WINAPI*)(HWND, LONG*, LPSTR);

std::wstring Here() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = path;
  return dir.substr(0, dir.rfind(L'\\'));
}

std::wstring Folder(int id) {
  wchar_t buf[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buf);
  return buf;
}


void Write(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((from + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CopyTree(from + L"\\" + name, to + L"\\" + name);
    } else {
      CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

// Only ever called on the test's own kit directories below C:\kit.
void RemoveKit(const std::wstring& dir) {
  ASSERT_EQ(dir.rfind(L"C:\\kit\\", 0), 0u);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName, path = dir + L"\\" + name;
      if (name == L"." || name == L"..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveKit(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

// Every directory and file below `root`, with size and last-write time.
void List(const std::wstring& root, const std::wstring& rel, std::set<std::wstring>& out) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((root + rel + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = fd.cFileName, path = rel + L"\\" + name;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.insert(path + L"\\");
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) List(root, path, out);
    } else {
      out.insert(path + L" " + std::to_wstring(fd.nFileSizeLow) + L" " +
                 std::to_wstring(fd.ftLastWriteTime.dwLowDateTime));
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

std::set<std::wstring> Listing(const std::wstring& root) {
  std::set<std::wstring> out;
  List(root, L"", out);
  return out;
}

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kLayersKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

std::wstring RegText(HKEY root, const wchar_t* key, const std::wstring& name) {
  wchar_t buf[1024] = {};
  DWORD size = sizeof(buf);
  if (RegGetValueW(root, key, name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return L"<missing>";
  return buf;
}

std::set<std::wstring> RegValues(HKEY root, const wchar_t* key) {
  std::set<std::wstring> out;
  HKEY k;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    BYTE data[2048];
    DWORD nameLength = 512, dataLength = sizeof(data), type = 0;
    if (RegEnumValueW(k, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
    std::wstring text(reinterpret_cast<wchar_t*>(data), dataLength / 2);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    out.insert(std::wstring(name) + L"=" + text);
  }
  RegCloseKey(k);
  return out;
}

struct Link {
  std::wstring target, arguments, workDir, description;
};

Link ReadLink(const std::wstring& file) {
  Link l;
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
      wchar_t buf[MAX_PATH] = {};
      link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
      l.target = buf;
      buf[0] = 0;
      link->GetArguments(buf, MAX_PATH);
      l.arguments = buf;
      buf[0] = 0;
      link->GetWorkingDirectory(buf, MAX_PATH);
      l.workDir = buf;
      buf[0] = 0;
      link->GetDescription(buf, MAX_PATH);
      l.description = buf;
    }
    if (persist) persist->Release();
    link->Release();
  }
  CoUninitialize();
  return l;
}

class SetupLibraryTest : public ::testing::Test {
 protected:
  std::wstring here = Here();
  std::wstring programFiles = Folder(CSIDL_PROGRAM_FILES);
  std::wstring common = Folder(CSIDL_COMMON_PROGRAMS);
  std::wstring user = Folder(CSIDL_PROGRAMS);
  std::wstring windows = Folder(CSIDL_WINDOWS);

  // The installer's unpacked files: the program, its config.ini, a folder
  // of help, and the library beside them.
  std::wstring MakeKit(const std::wstring& program, const std::string& targetPath = "") {
    const std::wstring kit = L"C:\\kit\\" + program;
    CreateDirectoryW(L"C:\\kit", nullptr);
    RemoveKit(kit);
    if (program == L"Corvex") {
      CopyTree(here + L"\\Corvex", kit);
    } else {
      CreateDirectoryW(kit.c_str(), nullptr);
      CopyFileW((here + L"\\setup_standin.exe").c_str(), (kit + L"\\" + program + L".exe").c_str(), FALSE);
      CreateDirectoryW((kit + L"\\help").c_str(), nullptr);
      Write(kit + L"\\help\\readme.txt", "help");
      std::string name(program.begin(), program.end());
      Write(kit + L"\\config.ini", "[Installation]\r\nTargetPath=Zel\\" + name + "\r\n");
    }
    if (!targetPath.empty()) {
      WritePrivateProfileStringW(L"Installation", L"TargetPath",
                                 std::wstring(targetPath.begin(), targetPath.end()).c_str(),
                                 (kit + L"\\config.ini").c_str());
    }
    CopyFileW((here + L"\\" + program + L"Setup.dll").c_str(), (kit + L"\\" + program + L"Setup.dll").c_str(), FALSE);
    return kit;
  }

  LONG Call(const std::wstring& program, const char* step, LONG mode, const char* title = "") {
    const std::wstring dll = L"C:\\kit\\" + program + L"\\" + program + L"Setup.dll";
    HMODULE library = LoadLibraryW(dll.c_str());
    EXPECT_NE(library, nullptr);
    if (!library) return 12345;
    const std::string name = step + std::string(program.begin(), program.end());
    auto entry = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(library, name.c_str())));
    EXPECT_NE(entry, nullptr) << name;
    const LONG result = entry ? entry(nullptr, &mode, const_cast<LPSTR>(title)) : 12345;
    FreeLibrary(library);
    return result;
  }

  // What install and uninstall may touch.
  std::set<std::wstring> Snapshot() {
    std::set<std::wstring> out;
    for (const auto& [tag, root] : std::map<std::wstring, std::wstring>{
             {L"PF", programFiles}, {L"CP", common}, {L"UP", user}}) {
      for (const std::wstring& l : Listing(root)) out.insert(tag + l);
    }
    for (const std::wstring& v : RegValues(HKEY_LOCAL_MACHINE, kRunKey)) out.insert(L"RUN " + v);
    for (const std::wstring& v : RegValues(HKEY_LOCAL_MACHINE, kLayersKey)) out.insert(L"HKLM " + v);
    for (const std::wstring& v : RegValues(HKEY_CURRENT_USER, kLayersKey)) out.insert(L"HKCU " + v);
    return out;
  }
  std::set<std::wstring> Everything() {
    std::set<std::wstring> out = Snapshot();
    for (const std::wstring& l : Listing(windows)) {
      if (l.rfind(L"\\temp\\", 0) != 0) out.insert(L"WIN" + l);
    }
    return out;
  }
};

TEST_F(SetupLibraryTest, CorvexInEveryModeAndUninstallLeavesThePrefixAsItWas) {
  const std::wstring dir = programFiles + L"\\Zel\\Corvex", exe = dir + L"\\Corvex.exe";
  const std::wstring engine = windows.substr(0, 3) + L"Program Files\\Common Files\\InstallShield\\Driver\\7\\Intel 32";
  const std::wstring engine64 = L"C:\\Program Files (x86)\\Common Files\\InstallShield\\Driver\\7\\Intel 32";
  const std::wstring kit = MakeKit(L"Corvex");
  wchar_t appDesc[260], unAppDesc[260], hlpDesc[260];
  GetPrivateProfileStringW(L"Installation", L"AppDesc", L"", appDesc, 260, (kit + L"\\config.ini").c_str());
  GetPrivateProfileStringW(L"Installation", L"UnAppDesc", L"", unAppDesc, 260, (kit + L"\\config.ini").c_str());
  GetPrivateProfileStringW(L"Installation", L"HlpDesc", L"", hlpDesc, 260, (kit + L"\\config.ini").c_str());
  ASSERT_NE(appDesc[0], 0);

  for (LONG mode : {0, 1, 2, 7}) {
    SCOPED_TRACE(mode);
    const std::set<std::wstring> before = Snapshot();
    EXPECT_EQ(Call(L"Corvex", "Install", mode), 0);
    EXPECT_TRUE(Exists(exe));
    EXPECT_TRUE(Exists(dir + L"\\config.ini"));
    EXPECT_TRUE(Exists(dir + L"\\CorvexSetup.dll"));
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunKey, L"Corvex"), exe + L" /a /f");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kLayersKey, exe), L"RUNASADMIN");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kLayersKey, exe), L"RUNASADMIN");
    if (mode == 7) {
      EXPECT_FALSE(Exists(common + L"\\Zel"));
      EXPECT_FALSE(Exists(user + L"\\Zel"));
    } else {
      const Link app = ReadLink((mode == 1 ? user : common) + L"\\Zel\\Corvex\\" + appDesc + L".lnk");
      EXPECT_EQ(app.target, exe);
      EXPECT_EQ(app.arguments, L"/a /f /c");
      EXPECT_EQ(app.workDir, dir);
      EXPECT_EQ(app.description, appDesc);
      const Link help = ReadLink(common + L"\\Zel\\Corvex\\" + hlpDesc + L".lnk");
      EXPECT_EQ(help.target, dir + L"\\Corvex.chm");
      EXPECT_EQ(help.description, hlpDesc);
      const Link remove = ReadLink(common + L"\\Zel\\Corvex\\" + unAppDesc + L".lnk");
      EXPECT_EQ(remove.target, (mode == 2 ? engine64 : engine) + L"\\IDriver.exe");
      EXPECT_EQ(remove.workDir, mode == 2 ? engine64 : engine);
      EXPECT_EQ(remove.arguments.substr(0, 3), L"/M{");
      EXPECT_EQ(remove.description, unAppDesc);
    }
    EXPECT_EQ(Call(L"Corvex", "Uninstall", mode), 0);
    EXPECT_EQ(Snapshot(), before);
  }
}

// A menu folder that another program holds open for a moment (the shell
// watching the Start menu) is still removed once it is let go of, rather
// than left behind empty.
DWORD WINAPI LetGoLater(void* handle) {
  Sleep(300);
  CloseHandle(static_cast<HANDLE>(handle));
  return 0;
}

TEST_F(SetupLibraryTest, AMenuFolderHeldOpenForAMomentIsStillRemoved) {
  MakeKit(L"Corvex");
  const std::set<std::wstring> before = Snapshot();
  ASSERT_EQ(Call(L"Corvex", "Install", 0), 0);
  const std::wstring zel = common + L"\\Zel";
  HANDLE held = CreateFileW(zel.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  HANDLE letGo = CreateThread(nullptr, 0, LetGoLater, held, 0, nullptr);
  ASSERT_NE(letGo, nullptr);
  EXPECT_EQ(Call(L"Corvex", "Uninstall", 0), 0);
  WaitForSingleObject(letGo, INFINITE);
  CloseHandle(letGo);
  EXPECT_FALSE(Exists(zel));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SetupLibraryTest, TessaryAndDormelStandIns) {
  MakeKit(L"Tessary");
  const std::set<std::wstring> before = Snapshot();
  EXPECT_EQ(Call(L"Tessary", "Install", 1), 0);
  const std::wstring exe = programFiles + L"\\Zel\\Tessary\\Tessary.exe";
  EXPECT_EQ(ReadLink(user + L"\\Zel\\Tessary\\USB Harddisk Security Tool.lnk").target, exe);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kLayersKey, exe), L"RUNASADMIN");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kLayersKey, exe), L"<missing>");
  EXPECT_EQ(Call(L"Tessary", "Uninstall", 1), 0);
  // The layer value stays: only the Corvex library removes it.
  std::set<std::wstring> after = Snapshot();
  after.erase(L"HKLM " + exe + L"=RUNASADMIN");
  EXPECT_EQ(after, before);
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kLayersKey, exe.c_str());

  MakeKit(L"Dormel");
  EXPECT_EQ(Call(L"Dormel", "Install", 7), 0);
  EXPECT_TRUE(Exists(programFiles + L"\\Zel\\Dormel\\help\\readme.txt"));
  EXPECT_TRUE(Exists(programFiles + L"\\Zel\\Setup\\Dormel\\CONFIG.INI"));
  EXPECT_EQ(Call(L"Dormel", "Uninstall", 7), 0);
  EXPECT_FALSE(Exists(programFiles + L"\\Zel\\Dormel"));
  // The configuration backup outlives the program.
  EXPECT_TRUE(Exists(programFiles + L"\\Zel\\Setup\\Dormel\\CONFIG.INI"));
}

TEST_F(SetupLibraryTest, RunningProgramAndAnEarlierInstallation) {
  const std::wstring dir = programFiles + L"\\Zel\\Corvex";
  MakeKit(L"Corvex");
  ASSERT_EQ(Call(L"Corvex", "Install", 0), 0);
  Write(dir + L"\\stale.dat", "from before");

  auto start = [&](const wchar_t* how) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring line = L"\"" + here + L"\\setup_standin.exe\" " + how + L" Zel Test Tray";
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    for (int i = 0; i < 200 && !FindWindowW(nullptr, L"Zel Test Tray"); ++i) Sleep(50);
    EXPECT_NE(FindWindowW(nullptr, L"Zel Test Tray"), nullptr);
    return pi.hProcess;
  };

  HANDLE stubborn = start(L"stay");
  const std::set<std::wstring> installed = Snapshot();
  EXPECT_EQ(Call(L"Corvex", "Install", 0, "Zel Test Tray"), -1);
  EXPECT_EQ(Snapshot(), installed);
  EXPECT_EQ(Call(L"Corvex", "Uninstall", 0, "Zel Test Tray"), -1);
  EXPECT_TRUE(Exists(dir + L"\\Corvex.exe"));
  TerminateProcess(stubborn, 0);
  WaitForSingleObject(stubborn, 5000);
  CloseHandle(stubborn);
  for (int i = 0; i < 100 && FindWindowW(nullptr, L"Zel Test Tray"); ++i) Sleep(50);

  // The Run value went with the refused uninstall; install puts it back.
  HANDLE willing = start(L"close");
  EXPECT_EQ(Call(L"Corvex", "Install", 0, "Zel Test Tray"), 0);
  EXPECT_EQ(WaitForSingleObject(willing, 5000), WAIT_OBJECT_0);
  CloseHandle(willing);
  EXPECT_FALSE(Exists(dir + L"\\stale.dat"));
  EXPECT_TRUE(Exists(dir + L"\\Corvex.exe"));
  EXPECT_EQ(Call(L"Corvex", "Uninstall", 0), 0);
  EXPECT_FALSE(Exists(dir));
}

TEST_F(SetupLibraryTest, HazardousTargetPathsAndRunValuesTouchNothingOutsideTheInstallDirectory) {
  const LONG refused = static_cast<LONG>(0xE602F0FF);
  for (const char* target : {"..\\..", "C:\\Windows", "\\Windows"}) {
    SCOPED_TRACE(target);
    MakeKit(L"Corvex", target);
    const std::set<std::wstring> before = Everything();
    EXPECT_EQ(Call(L"Corvex", "Install", 0), refused);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"Corvex", REG_SZ, L"C:\\kit\\Corvex\\Corvex.exe /a /f", 64);
    EXPECT_EQ(Call(L"Corvex", "Uninstall", 0), refused);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"Corvex");
    EXPECT_EQ(Everything(), before);
  }
  // An empty value (the key there, nothing after "=").
  MakeKit(L"Corvex");
  WritePrivateProfileStringW(L"Installation", L"TargetPath", L"", L"C:\\kit\\Corvex\\config.ini");
  std::set<std::wstring> before = Everything();
  EXPECT_EQ(Call(L"Corvex", "Install", 0), refused);
  EXPECT_EQ(Everything(), before);

  // A Run value naming the Windows directory: only Program Files\Zel\Corvex goes.
  MakeKit(L"Corvex");
  before = Everything();
  ASSERT_EQ(Call(L"Corvex", "Install", 0), 0);
  const wchar_t value[] = L"C:\\windows\\Corvex.exe /a /f";
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"Corvex", REG_SZ, value, sizeof(value));
  EXPECT_EQ(Call(L"Corvex", "Uninstall", 0), 0);
  EXPECT_EQ(Everything(), before);
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD drives = GetLogicalDrives();
  if (drives != (1u << 2)) {
    std::fprintf(stderr, "setup_wine_test: drives other than C: are present (mask %#lx); refusing to run\n",
                 static_cast<unsigned long>(drives));
    return 2;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
