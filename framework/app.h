// The application object: one per program, made by the program's entry
// point. InitInstance does the start-up and makes the main window (returning
// false ends the program at once); Run is the message loop; ExitInstance runs
// when the loop has ended, whatever InitInstance returned.
#pragma once
#include <windows.h>

#include <string>

namespace zel::fw {

class CWindow;

class CApp {
 public:
  CApp();
  virtual ~CApp();
  CApp(const CApp&) = delete;
  CApp& operator=(const CApp&) = delete;

  static CApp* Current();

  // Runs the whole program: InitInstance, the loop, ExitInstance. The
  // result is the process's exit code.
  int RunProgram(HINSTANCE instance, const std::wstring& commandLine);
  // The same for the 8-bit programs, whose entry point has the command line
  // in the system code page.
  int RunProgram(HINSTANCE instance, const std::string& commandLine);

  virtual bool InitInstance() = 0;
  virtual int ExitInstance() { return exitCode_; }
  // Commands that no window handled (the main frame passes them on). The
  // default closes the main window on the exit command.
  virtual bool OnCommand(UINT id);

  CWindow* MainWindow() const { return mainWindow_; }
  void SetMainWindow(CWindow* window) { mainWindow_ = window; }
  HINSTANCE Instance() const { return instance_; }
  // The command line without the program name.
  const std::wstring& CommandLine() const { return commandLine_; }

 protected:
  int Run();

 private:
  HINSTANCE instance_ = nullptr;
  std::wstring commandLine_;
  CWindow* mainWindow_ = nullptr;
  int exitCode_ = 0;
};

}  // namespace zel::fw
