#include "setup/pellix/pellix_steps.h"

#include <vector>

#include "setup/pellix/hardware_ids.h"

namespace zel::pellix {
namespace {

constexpr const char* kEnumeratedDisks = "Enum\\HALVEX\\DISK";
constexpr const char* kInfDirectories[] = {"inf", "inf\\other", "inf\\internet"};

// Clears the driver information cache; the system rebuilds it.
void ClearDriverCache(PellixSystem& system, const std::string& windowsDir) {
  if (!IsFullPath(windowsDir)) return;
  system.RemoveFile(windowsDir + "\\inf\\Drvdata.bin");
  system.RemoveFile(windowsDir + "\\inf\\Drvidx.bin");
}

void RemoveDevices(PellixSystem& system, const std::vector<std::string>& ids) {
  for (const std::string& id : ids) RemoveMatchingDevices(system, id);
}

// Removes a tree below Program Files, and only there.
void RemoveProgramTree(PellixSystem& system, const std::string& programFiles, const char* sub) {
  if (!IsFullPath(programFiles)) return;
  system.RemoveTree(programFiles + "\\" + sub);
}

}  // namespace

bool IsFullPath(const std::string& path) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
      path[1] == ':' && separator(path[2])) {
    return true;
  }
  return path.size() > 2 && separator(path[0]) && separator(path[1]) && !separator(path[2]);
}

std::string ProgramFilesPath(PellixSystem& system) {
  std::string folder = system.ProgramFilesFolder();
  if (!folder.empty()) return folder;
  std::string windows = system.WindowsDirectory();
  if (windows.size() >= 3 && windows[1] == ':') return windows.substr(0, 3) + "Program Files";
  return {};
}

int32_t CloseProgram(PellixSystem& system, const char* title) {
  for (int attempt = 0; attempt < kCloseAttempts; ++attempt) {
    if (!system.WindowExists(title)) return kOk;
    system.RequestClose(title);
  }
  return system.WindowExists(title) ? kStillRunning : kOk;
}

uint32_t RemoveMatchingDevices(PellixSystem& system, const std::string& identifier) {
  if (identifier.empty()) return kOk;
  return system.WalkDevices(kDeviceClass, [&](const std::string& deviceId) {
    return DeviceMatches(deviceId, identifier) ? DeviceAction::kRemove : DeviceAction::kKeep;
  });
}

int DeleteMatchingInfCopies(PellixSystem& system, const std::string& windowsDir,
                            const std::string& identifier) {
  if (identifier.empty() || !IsFullPath(windowsDir)) return 0;
  int deleted = 0;
  for (const char* sub : kInfDirectories) {
    std::string dir = windowsDir + "\\" + sub;
    for (const std::string& name : system.ListInfFiles(dir)) {
      std::string path = dir + "\\" + name;
      std::vector<std::string> lines;
      if (!system.ReadLines(path, lines) || !InfMentions(lines, identifier)) continue;
      if (system.RemoveFile(path) == kOk) ++deleted;
    }
  }
  return deleted;
}

int32_t Install(PellixSystem& system, const std::string& moduleDir) {
  const std::string windows = system.WindowsDirectory();
  const std::string programFiles = ProgramFilesPath(system);
  const std::vector<std::string> ids = ReadHardwareIds(system, moduleDir + "\\config.ini");

  ClearDriverCache(system, windows);

  if (IsFullPath(programFiles)) system.CopyFiles(programFiles + "\\Zel\\Pellix", moduleDir, {"config.ini"});
  if (IsFullPath(windows)) {
    system.CopyFiles(windows + "\\INF", moduleDir, {"halvex.inf", "quimbel.inf"});
    system.CopyFiles(windows + "\\system32\\drivers", moduleDir, {"halvex.sys"});
    system.CopyFiles(windows + "\\system\\iosubsys", moduleDir, {"halvio.pdr"});
  }

  RemoveDevices(system, ids);
  system.DeleteRegistryTree(kEnumeratedDisks);

  // The removal program: the running one closes before its file is
  // replaced; the new one starts at once and at every log-on.
  if (CloseProgram(system, kRemovalTitle) != kOk || !IsFullPath(programFiles)) return 0;
  const std::string removalDir = programFiles + "\\Zel\\removal";
  system.CopyFiles(removalDir, moduleDir, {kRemovalProgram, "config.ini"});
  const std::string program = removalDir + "\\" + kRemovalProgram;
  system.StartHidden(program);
  system.SetRunValue(kRemovalRunValue, program);
  return 0;
}

int32_t UnInstall(PellixSystem& system) {
  const std::string windows = system.WindowsDirectory();
  const std::string programFiles = ProgramFilesPath(system);
  std::vector<std::string> ids;
  if (IsFullPath(programFiles)) ids = ReadHardwareIds(system, programFiles + "\\Zel\\PELLIX\\config.ini");

  ClearDriverCache(system, windows);
  RemoveDevices(system, ids);
  system.DeleteRegistryTree(kEnumeratedDisks);

  if (IsFullPath(windows)) {
    for (const char* file : {"\\inf\\halvex.inf", "\\inf\\halvex.PNF", "\\inf\\quimbel.inf",
                             "\\inf\\quimbel.PNF", "\\system32\\drivers\\halvex.SYS",
                             "\\system\\iosubsys\\halvio.pdr"}) {
      system.RemoveFile(windows + file);
    }
  }
  for (const std::string& id : ids) DeleteMatchingInfCopies(system, windows, id);

  if (CloseProgram(system, kRemovalTitle) == kOk && system.DeleteRunValue(kRemovalRunValue) &&
      CloseProgram(system, kRemovalTitle) == kOk) {
    RemoveProgramTree(system, programFiles, "Zel\\REMOVAL");
  }
  RemoveProgramTree(system, programFiles, "Zel\\PELLIX");
  return 0;
}

}  // namespace zel::pellix
