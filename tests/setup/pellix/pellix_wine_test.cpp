// Pellix.dll on Windows: Install and UnInstall called through their exports
// the way the installer package calls them, in a sealed prefix. Refuses to
// start when any drive but C: exists, since UnInstall deletes trees.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using Export = int32_t(WINAPI*)(HWND, int32_t*, char*);

const std::string kModule = "C:\\pellix-src";
const char* kTitle = "Zel Safe Removal Application";
const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string TestDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file = path;
  return file.substr(0, file.find_last_of('\\'));
}

std::string Windows() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  return path;
}

const std::string kProgramFiles = "C:\\Program Files";

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file and directory below `dir`, as paths relative to it.
void List(const std::string& dir, const std::string& prefix, std::set<std::string>& out) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string rel = prefix + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.insert(rel + "\\");
      List(dir + "\\" + name, rel + "\\", out);
    } else {
      out.insert(rel);
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

std::set<std::string> Listing() {
  std::set<std::string> out;
  List(Windows(), "WINDOWS\\", out);
  List(kProgramFiles, "PF\\", out);
  return out;
}

bool RunValue(std::string& value) {
  char buffer[600] = {};
  DWORD size = sizeof buffer - 1;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  LSTATUS status = RegQueryValueExA(key, "zelusb", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  value = buffer;
  return status == ERROR_SUCCESS;
}

bool KeyExists(const char* path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The process of the removal program's window, waiting up to 10 s for it.
DWORD RemovalProcess() {
  for (int i = 0; i < 200; ++i) {
    if (HWND window = FindWindowA(nullptr, kTitle)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      return pid;
    }
    Sleep(50);
  }
  return 0;
}

bool ProcessEnded(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return true;
  bool ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

class PellixDll : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(kModule.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((TestDir() + "\\Pellix.dll").c_str(), (kModule + "\\Pellix.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((TestDir() + "\\zelusb.exe").c_str(), (kModule + "\\zelusb.exe").c_str(), FALSE));
    WriteText(kModule + "\\config.ini",
              "[HardwareID]\r\nDeviceCount=3\r\nDevice00=USB\\VID_1A2B&PID_0001\r\nDevice01=\r\n"
              "Device02=PCI\\VEN_\r\n");
    for (const char* name : {"halvex.inf", "quimbel.inf", "halvex.sys", "halvio.pdr"}) {
      WriteText(kModule + "\\" + name, std::string("driver file ") + name);
    }
    library_ = LoadLibraryA((kModule + "\\Pellix.dll").c_str());
    ASSERT_NE(library_, nullptr);
    install_ = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(library_, "Install")));
    uninstall_ = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(library_, "UnInstall")));
    ASSERT_NE(install_, nullptr);
    ASSERT_NE(uninstall_, nullptr);
  }
  void TearDown() override {
    if (library_) FreeLibrary(library_);
  }
  int32_t Call(Export fn) {
    int32_t mode = 0;
    char text[] = "";
    return fn(nullptr, &mode, text);
  }
  HMODULE library_ = nullptr;
  Export install_ = nullptr;
  Export uninstall_ = nullptr;
};

TEST_F(PellixDll, InstallPlacesEverythingAndUnInstallTakesExactlyThatAway) {
  const std::string win = Windows();
  CreateDirectoryA((win + "\\inf").c_str(), nullptr);
  CreateDirectoryA((win + "\\inf\\other").c_str(), nullptr);
  WriteText(win + "\\inf\\other\\unrelated.inf", "[Version]\r\nUSB\\VID_9999&PID_0001\r\n");
  const std::set<std::string> before = Listing();
  WriteText(win + "\\inf\\Drvdata.bin", "cache");
  WriteText(win + "\\inf\\Drvidx.bin", "cache");
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Enum\\HALVEX\\DISK\\0001", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &key, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_EQ(Call(install_), 0);
  EXPECT_FALSE(Exists(win + "\\inf\\Drvdata.bin"));
  EXPECT_FALSE(Exists(win + "\\inf\\Drvidx.bin"));
  EXPECT_EQ(ReadAll(win + "\\INF\\halvex.inf"), "driver file halvex.inf");
  EXPECT_EQ(ReadAll(win + "\\INF\\quimbel.inf"), "driver file quimbel.inf");
  EXPECT_EQ(ReadAll(win + "\\system32\\drivers\\halvex.sys"), "driver file halvex.sys");
  EXPECT_EQ(ReadAll(win + "\\system\\iosubsys\\halvio.pdr"), "driver file halvio.pdr");
  EXPECT_EQ(ReadAll(kProgramFiles + "\\Zel\\Pellix\\config.ini"), ReadAll(kModule + "\\config.ini"));
  EXPECT_EQ(ReadAll(kProgramFiles + "\\Zel\\removal\\zelusb.exe"), ReadAll(kModule + "\\zelusb.exe"));
  EXPECT_FALSE(KeyExists("Enum\\HALVEX\\DISK"));
  EXPECT_TRUE(KeyExists("Enum\\HALVEX"));
  std::string run;
  ASSERT_TRUE(RunValue(run));
  EXPECT_EQ(run, kProgramFiles + "\\Zel\\removal\\zelusb.exe");
  const DWORD first = RemovalProcess();
  ASSERT_NE(first, 0u) << "the removal program did not start";

  // Again, with the removal program running: it is closed, replaced and
  // started anew.
  EXPECT_EQ(Call(install_), 0);
  EXPECT_TRUE(ProcessEnded(first));
  const DWORD second = RemovalProcess();
  EXPECT_NE(second, 0u);
  EXPECT_NE(second, first);

  // The copies Windows makes of the INF files when it installs a device.
  WriteText(win + "\\inf\\oem12.inf", "[Version]\r\n%Disk%=Inst,USB\\VID_1A2B&PID_0001&REV_0100\r\n");
  WriteText(win + "\\inf\\other\\ZELDISK.INF", "[Strings]\r\nid=\"USB\\VID_1A2B&PID_0001\"\r\n");
  WriteText(win + "\\inf\\halvex.PNF", "precompiled");

  EXPECT_EQ(Call(uninstall_), 0);
  EXPECT_TRUE(ProcessEnded(second));
  EXPECT_EQ(FindWindowA(nullptr, kTitle), nullptr);
  EXPECT_FALSE(RunValue(run));

  std::set<std::string> after = Listing();
  // Install makes these directories and nothing takes them away again.
  for (const char* dir : {"WINDOWS\\system\\", "WINDOWS\\system\\iosubsys\\", "PF\\Zel\\"}) {
    if (!before.count(dir)) { EXPECT_EQ(after.erase(dir), 1u) << dir; }
  }
  std::vector<std::string> added, removed;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(removed));
  EXPECT_TRUE(added.empty()) << "left behind: " << (added.empty() ? "" : added.front());
  EXPECT_TRUE(removed.empty()) << "removed: " << (removed.empty() ? "" : removed.front());
}

TEST_F(PellixDll, ARemovalProgramThatWillNotCloseKeepsItsFilesAndRunValue) {
  EXPECT_EQ(Call(install_), 0);
  const DWORD started = RemovalProcess();
  ASSERT_NE(started, 0u);
  // Close the one Install started; a stubborn one takes its place.
  PostMessageA(FindWindowA(nullptr, kTitle), WM_CLOSE, 0, 0);
  ASSERT_TRUE(ProcessEnded(started));
  std::string command = "\"" + kModule + "\\zelusb.exe\" /stubborn";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  CloseHandle(process.hThread);
  ASSERT_EQ(RemovalProcess(), process.dwProcessId);

  EXPECT_EQ(Call(uninstall_), 0);
  std::string run;
  EXPECT_TRUE(RunValue(run));
  EXPECT_TRUE(Exists(kProgramFiles + "\\Zel\\removal\\zelusb.exe"));
  EXPECT_FALSE(Exists(kProgramFiles + "\\Zel\\Pellix"));
  EXPECT_FALSE(Exists(Windows() + "\\system32\\drivers\\halvex.sys"));

  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hProcess);
  EXPECT_EQ(Call(uninstall_), 0);
  EXPECT_FALSE(RunValue(run));
  EXPECT_FALSE(Exists(kProgramFiles + "\\Zel\\removal"));
}

}  // namespace

int main(int argc, char** argv) {
  // UnInstall deletes trees: only in a prefix whose one drive is C:.
  DWORD drives = GetLogicalDrives();
  if (drives != (1u << 2)) {
    std::fprintf(stderr, "pellix_wine_test: drives other than C: are present (mask %#lx); refusing to run\n",
                 static_cast<unsigned long>(drives));
    return 2;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
