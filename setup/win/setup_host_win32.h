// The setup libraries' host on Windows: windows by title, the shell's
// folders, RemoveDirectory and shell links.
#pragma once
#include "setup/setup_host.h"

namespace zel::setup {

class Win32SetupHost final : public SetupHost {
 public:
  bool ProgramWindowExists(const std::wstring& title) override;
  void SendExit(const std::wstring& title) override;
  void Pause(unsigned milliseconds) override;
  long SpecialFolder(Folder folder, std::wstring& path) override;
  std::wstring WindowsDirectory() override;
  long RemoveDirectory(const std::wstring& path) override;
  LinkOutcome WriteShortcut(const LinkRequest& request) override;
};

}  // namespace zel::setup
