// The driver installer's requests carried out by Windows: 8-bit file,
// profile and registry functions, the shell's special folders, SetupAPI
// (loaded by name, as the Windows 98 family may lack it) and top-level
// windows found by their titles.
#pragma once
#include "setup/pellix/pellix_system.h"

namespace zel::pellix {

class Win32System : public PellixSystem {
 public:
  std::string WindowsDirectory() override;
  std::string ProgramFilesFolder() override;
  int32_t ReadInt(const std::string& file, const char* section, const char* key,
                  int32_t def) override;
  std::string ReadString(const std::string& file, const char* section, const char* key,
                         const char* def) override;
  uint32_t RemoveFile(const std::string& path) override;
  uint32_t CopyFiles(const std::string& targetDir, const std::string& sourceDir,
                     const std::vector<std::string>& names) override;
  uint32_t RemoveTree(const std::string& dir) override;
  std::vector<std::string> ListInfFiles(const std::string& dir) override;
  bool ReadLines(const std::string& path, std::vector<std::string>& lines) override;
  uint32_t DeleteRegistryTree(const std::string& key) override;
  bool SetRunValue(const std::string& name, const std::string& value) override;
  bool DeleteRunValue(const std::string& name) override;
  uint32_t WalkDevices(const char* className,
                       const std::function<DeviceAction(const std::string&)>& visit) override;
  bool WindowExists(const char* title) override;
  void RequestClose(const char* title) override;
  bool StartHidden(const std::string& program) override;
};

}  // namespace zel::pellix
