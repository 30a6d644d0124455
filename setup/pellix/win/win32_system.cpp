#include "setup/pellix/win/win32_system.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

namespace zel::pellix {
namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\Currentversion\\Run";
// How long one close request waits for a window that does not answer.
constexpr UINT kCloseRequestTimeoutMs = 2000;

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

std::string ShellFolder(int id) {
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
  return WithoutTrailingSeparator(path);
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates every missing directory along `dir`, from its root down; a
// directory that cannot be created gives kMakePathFailed and the walk goes on.
uint32_t MakePath(const std::string& dir) {
  uint32_t result = kOk;
  for (size_t i = 3; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '\\' && dir[i] != '/') continue;
    std::string part = dir.substr(0, i);
    if (IsDirectory(part)) continue;
    if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      result = kMakePathFailed;
    }
  }
  return result;
}

void ClearAttributes(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
}

// Copies through a temporary name beside the target, so that the target is
// either the old file or the whole new one.
bool CopyWhole(const std::string& source, const std::string& target) {
  const std::string partial = target + ".new~";
  if (!CopyFileA(source.c_str(), partial.c_str(), FALSE)) return false;
  SetFileAttributesA(partial.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  if (!MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(partial.c_str());
    return false;
  }
  return true;
}

uint32_t RemoveTreeBelow(const std::string& dir) {
  uint32_t result = kOk;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      const DWORD attributes = found.dwFileAttributes;
      if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
      }
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A link to a directory goes as a link; what it leads to stays.
        if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
          uint32_t below = RemoveTreeBelow(path);
          if (below != kOk) result = below;
        }
        if (!RemoveDirectoryA(path.c_str())) result = kFileDeleteFailed | (GetLastError() & 0xFFFF);
      } else if (!DeleteFileA(path.c_str())) {
        result = kFileDeleteFailed | (GetLastError() & 0xFFFF);
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  return result;
}

}  // namespace

std::string Win32System::WindowsDirectory() {
  std::string folder = ShellFolder(CSIDL_WINDOWS);
  if (!folder.empty()) return folder;
  char path[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  return (n > 0 && n < MAX_PATH) ? WithoutTrailingSeparator(path) : std::string();
}

std::string Win32System::ProgramFilesFolder() { return ShellFolder(CSIDL_PROGRAM_FILES); }

int32_t Win32System::ReadInt(const std::string& file, const char* section, const char* key,
                             int32_t def) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, def, file.c_str()));
}

std::string Win32System::ReadString(const std::string& file, const char* section, const char* key,
                                    const char* def) {
  // The profile functions cut a value to the buffer; grow it until the
  // whole value fits. A value cut at the largest size is far longer than
  // any identifier, and is left out as one.
  std::string buffer;
  for (DWORD size = 512;; size *= 2) {
    buffer.assign(size, '\0');
    DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, file.c_str());
    if (n < size - 1 || size >= 65536) return buffer.substr(0, n);
  }
}

uint32_t Win32System::RemoveFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return kFileMissing;
    return kFileDeleteFailed | (error & 0xFFFF);
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (!DeleteFileA(path.c_str())) return kFileDeleteFailed | (GetLastError() & 0xFFFF);
  return kOk;
}

uint32_t Win32System::CopyFiles(const std::string& targetDir, const std::string& sourceDir,
                                const std::vector<std::string>& names) {
  if (names.empty()) return kCopyNothing;
  MakePath(targetDir);
  if (!IsDirectory(targetDir)) return kTargetDirFailed;
  uint32_t result = kOk;
  for (const std::string& name : names) {
    const std::string source = sourceDir + "\\" + name;
    const std::string target = targetDir + "\\" + name;
    if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
      result = kSourceMissing;
      continue;
    }
    ClearAttributes(target);
    if (!CopyWhole(source, target)) result = kCopyFailed;
  }
  return result;
}

uint32_t Win32System::RemoveTree(const std::string& dir) {
  DWORD attributes = GetFileAttributesA(dir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return kDirectoryMissing;
  }
  uint32_t result = kOk;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) result = RemoveTreeBelow(dir);
  if (!RemoveDirectoryA(dir.c_str())) result = kFileDeleteFailed | (GetLastError() & 0xFFFF);
  return result;
}

std::vector<std::string> Win32System::ListInfFiles(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((dir + "\\*.inf").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    // The pattern also meets short names ("x.information" is "X~1.INF").
    std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() < 4 ||
        lstrcmpiA(name.c_str() + name.size() - 4, ".inf") != 0) {
      continue;
    }
    names.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

bool Win32System::ReadLines(const std::string& path, std::vector<std::string>& lines) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string line;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(c));
    }
  }
  if (!line.empty()) lines.push_back(line);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

uint32_t Win32System::DeleteRegistryTree(const std::string& key) {
  LSTATUS status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
  return status == ERROR_SUCCESS ? kOk : (kRegistryTreeFailed | (status & 0xFFFF));
}

bool Win32System::SetRunValue(const std::string& name, const std::string& value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // The stored length leaves the terminator out, as the value always was.
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size()));
  RegCloseKey(key);
  return true;
}

bool Win32System::DeleteRunValue(const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
  return true;
}

bool Win32System::WindowExists(const char* title) { return FindWindowA(nullptr, title) != nullptr; }

void Win32System::RequestClose(const char* title) {
  HWND window = FindWindowA(nullptr, title);
  if (!window) return;
  // A program that does not answer costs one attempt, not the whole install.
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = processId ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr;
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseRequestTimeoutMs, &answer);
  // A closed window is not yet an ended process: its program file stays in use
  // until the process is gone, and removing it would fail. Wait for the end
  // when the window went away, as long as one close request may take.
  if (process) {
    if (!IsWindow(window)) WaitForSingleObject(process, kCloseRequestTimeoutMs);
    CloseHandle(process);
  }
}

bool Win32System::StartHidden(const std::string& program) {
  std::string directory = program.substr(0, program.find_last_of('\\'));
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.c_str(), &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace zel::pellix
