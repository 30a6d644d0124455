// What the setup libraries need of the system beyond the file-system,
// registry and profile ports: the running program's window, the shell's
// folders, removing a directory, and writing a shortcut file. The Win32
// adapter is setup/win/setup_host_win32.cpp.
#pragma once
#include <string>

#undef RemoveDirectory

namespace zel::setup {

inline constexpr unsigned kExitCommand = 57665;  // the programs' Exit menu command

enum class Folder { ProgramFiles, CommonPrograms, UserPrograms };

// One shortcut file to write.
struct LinkRequest {
  std::wstring file;         // the .lnk file
  std::wstring target;       // the program (or document) it opens
  std::wstring workDir;
  std::wstring arguments;    // not set when empty
  std::wstring description;
};

// How far writing a shortcut got: each step's status (0 done, otherwise the
// failure the system reported), and the system's last error at the end. A
// step after a missing object or file interface is not tried and stays 0.
struct LinkOutcome {
  long createObject = 0;
  long fileInterface = 0;
  long setTarget = 0;
  long setWorkDir = 0;
  long setArguments = 0;
  long setDescription = 0;
  long save = 0;
  long lastError = 0;
};

class SetupHost {
 public:
  virtual ~SetupHost() = default;
  // True while a top-level window with exactly this title exists.
  virtual bool ProgramWindowExists(const std::wstring& title) = 0;
  // Sends that window the program's Exit command (57665) and waits for it to
  // be handled (or for the window to stop answering).
  virtual void SendExit(const std::wstring& title) = 0;
  virtual void Pause(unsigned milliseconds) = 0;
  // 0 with the folder's path (no trailing separator), or the system's error.
  virtual long SpecialFolder(Folder folder, std::wstring& path) = 0;
  virtual std::wstring WindowsDirectory() = 0;
  // Removes an empty directory (or a directory link, without following it).
  virtual long RemoveDirectory(const std::wstring& path) = 0;
  virtual LinkOutcome WriteShortcut(const LinkRequest& request) = 0;
};

}  // namespace zel::setup
