#include "setup/setup_steps.h"

#include <vector>

#include "setup/setup_files.h"
#include "setup/setup_paths.h"
#include "setup/setup_shortcuts.h"

namespace zel::setup {
namespace {

const wchar_t kSection[] = L"Installation";
const wchar_t kEngineFolder[] = L"Program Files\\Common Files\\InstallShield\\Driver\\7\\Intel 32";
const wchar_t kWow64EngineFolder[] = L"C:\\Program Files (x86)\\Common Files\\InstallShield\\Driver\\7\\Intel 32";
const wchar_t kWow64ProgramFiles[] = L"C:\\Program Files (x86)";
const wchar_t kEngine[] = L"IDriver.exe";
const wchar_t kRunSwitches[] = L" /a /f";
const wchar_t kShortcutSwitches[] = L"/a /f /c";
constexpr uint32_t kRunValueBytes = 260;

std::wstring ReadValue(ProfilePort& profile, const std::wstring& ini, const wchar_t* key, const wchar_t* def) {
  wchar_t buf[kPathChars] = {};
  profile.GetStringW(ini, kSection, key, def ? def : L"", buf, kPathChars);
  return buf;
}

// Program Files + TargetPath, once TargetPath has passed its check.
Result InstallDirectory(const SetupContext& c, const std::wstring& targetPath, std::wstring& programFiles,
                        std::wstring& installDir) {
  if (Result r = CheckTargetPath(targetPath); r != kOk) return r;
  std::wstring folder;
  if (c.host.SpecialFolder(Folder::ProgramFiles, folder) != 0) folder.clear();
  programFiles = ProgramFilesPath(folder, c.host.WindowsDirectory());
  return JoinPath(programFiles, targetPath, installDir);
}

void WriteLayerValue(RegistryPort& registry, RegRoot root, const std::wstring& program) {
  if (registry.CreateKey(root, kLayersKey) != 0) return;
  registry.WriteValue(root, kLayersKey, RegString(program, kRunAsAdmin));
}

Result MakeShortcuts(const SetupContext& c, SetupFiles& files, int32_t mode, const InstallValues& v,
                     const std::wstring& installDir) {
  const Variant& variant = c.variant;
  const Folder appFolder = mode == kModeCurrentUser ? Folder::UserPrograms : Folder::CommonPrograms;
  CreateShortcut(files, c.host,
                 {appFolder, v.targetPath, installDir, variant.exeName, v.appDesc, kShortcutSwitches},
                 LinkRules::General);
  if (variant.helpFile) {
    CreateShortcut(files, c.host,
                   {Folder::CommonPrograms, v.targetPath, installDir, variant.helpFile, v.hlpDesc,
                    kShortcutSwitches},
                   LinkRules::General);
  }
  const std::wstring arguments = std::wstring(L"/M") + variant.productCode;
  if (mode == kModeWow64) {
    return CreateShortcut(files, c.host,
                          {Folder::CommonPrograms, v.targetPath, kWow64EngineFolder, kEngine, v.unAppDesc, arguments},
                          LinkRules::General);
  }
  const std::wstring engineFolder = c.host.WindowsDirectory().substr(0, 3) + kEngineFolder;
  return CreateShortcut(files, c.host,
                        {Folder::CommonPrograms, v.targetPath, engineFolder, kEngine, v.unAppDesc, arguments},
                        LinkRules::Uninstall);
}

void RemoveMenuFolder(const SetupContext& c, SetupFiles& files, Folder folder, const std::wstring& targetPath) {
  std::wstring base, dir;
  if (c.host.SpecialFolder(folder, base) != 0 || base.empty()) return;
  if (JoinPath(base, targetPath, dir) != kOk) return;
  files.RemoveTree(dir);
  files.RemoveEmptyParents(base, targetPath);
}

void RemoveCommonShortcuts(const SetupContext& c, SetupFiles& files, const InstallValues& v) {
  std::wstring base, dir, link;
  if (c.host.SpecialFolder(Folder::CommonPrograms, base) != 0 || base.empty()) return;
  if (JoinPath(base, v.targetPath, dir) != kOk) return;
  for (const std::wstring& name : {v.unAppDesc, c.variant.helpFile ? v.hlpDesc : std::wstring()}) {
    if (name.empty() || CheckTargetPath(name) != kOk || name.find_first_of(L"\\/") != std::wstring::npos) continue;
    if (JoinPath(dir, name + L".lnk", link) == kOk) c.files.DeleteFile(link);
  }
  files.RemoveEmptyParents(base, v.targetPath);
}

}  // namespace

Result CloseProgram(SetupHost& host, const std::wstring& title, unsigned pauseMs) {
  if (title.empty()) return kOk;
  for (int attempt = 0; attempt < kCloseAttempts; ++attempt) {
    if (!host.ProgramWindowExists(title)) return kOk;
    host.SendExit(title);
    if (pauseMs) host.Pause(pauseMs);
  }
  return host.ProgramWindowExists(title) ? kStillRunning : kOk;
}

InstallValues ReadInstallValues(ProfilePort& profile, const Variant& variant, const std::wstring& ini) {
  InstallValues v;
  v.targetPath = ReadValue(profile, ini, L"TargetPath", variant.defTargetPath);
  v.appDesc = ReadValue(profile, ini, L"AppDesc", variant.defAppDesc);
  v.unAppDesc = ReadValue(profile, ini, L"UnAppDesc", variant.defUnAppDesc);
  v.hlpDesc = ReadValue(profile, ini, L"HlpDesc", variant.defHlpDesc);
  return v;
}

Result Install(const SetupContext& c, const int32_t* modeArg, const std::wstring& title) {
  const Variant& variant = c.variant;
  const int32_t mode = modeArg ? *modeArg : -1;
  std::wstring ini;
  if (Result r = JoinPath(c.moduleDir, L"config.ini", ini); r != kOk) return r;
  const InstallValues values = ReadInstallValues(c.profile, variant, ini);

  // Everything that could make the removal below reach beyond the install
  // directory is refused before anything changes.
  std::wstring programFiles, installDir, program;
  if (Result r = InstallDirectory(c, values.targetPath, programFiles, installDir); r != kOk) return r;
  if (Result r = JoinPath(installDir, variant.exeName, program); r != kOk) return r;
  // Installing from inside the install directory would remove the source
  // first; installing into the source would copy it into itself.
  if (IsSameOrBelow(c.moduleDir, installDir) || IsSameOrBelow(installDir, c.moduleDir)) return kUnsafeTarget;

  if (CloseProgram(c.host, title, 0) != kOk) return kStillRunning;

  SetupFiles files(c.files, c.host);
  files.RemoveTree(installDir);
  Result result = files.Copy(programFiles, values.targetPath, c.moduleDir, {}, kCopyTree);
  if (result != kOk) {
    // Nothing half installed stays behind, and nothing points at it.
    files.RemoveTree(installDir);
    files.RemoveEmptyParents(programFiles, values.targetPath);
    return result;
  }
  if (variant.backupFolder) files.Copy(programFiles, variant.backupFolder, c.moduleDir, {L"CONFIG.INI"}, kCopyNames);

  c.registry.CreateKey(RegRoot::LocalMachine, kRunKey);
  c.registry.WriteValue(RegRoot::LocalMachine, kRunKey, RegString(variant.name, program + kRunSwitches));
  WriteLayerValue(c.registry, RegRoot::LocalMachine, program);
  if (variant.runAsAdminForUser) WriteLayerValue(c.registry, RegRoot::CurrentUser, program);

  if (mode == kModeAllUsers || mode == kModeCurrentUser || mode == kModeWow64) {
    result = MakeShortcuts(c, files, mode, values, installDir);
  }
  return result;
}

Result Uninstall(const SetupContext& c, const int32_t* modeArg, const std::wstring& title) {
  const Variant& variant = c.variant;
  const int32_t mode = modeArg ? *modeArg : -1;

  // The autostart value only says where config.ini is; without it the
  // default TargetPath is used.
  std::wstring configDir;
  RegValue run;
  if (c.registry.ReadValue(RegRoot::LocalMachine, kRunKey, variant.name, kRunValueBytes, run) == 0) {
    configDir = DirectoryOfCommand(RegValueText(run));
  }
  InstallValues values{variant.defTargetPath, variant.defAppDesc, variant.defUnAppDesc,
                       variant.defHlpDesc ? variant.defHlpDesc : L""};
  std::wstring ini;
  if (!configDir.empty() && JoinPath(configDir, L"config.ini", ini) == kOk) {
    values = ReadInstallValues(c.profile, variant, ini);
  }
  const std::wstring& targetPath = values.targetPath;
  std::wstring programFiles, installDir, program;
  if (Result r = InstallDirectory(c, targetPath, programFiles, installDir); r != kOk) return r;
  if (Result r = JoinPath(installDir, variant.exeName, program); r != kOk) return r;

  c.registry.DeleteValue(RegRoot::LocalMachine, kRunKey, variant.name);
  if (variant.uninstallRemovesLayers) {
    c.registry.DeleteValue(RegRoot::LocalMachine, kLayersKey, program);
    c.registry.DeleteValue(RegRoot::CurrentUser, kLayersKey, program);
  }
  if (CloseProgram(c.host, title, 1) != kOk) return kStillRunning;

  SetupFiles files(c.files, c.host);
  if (mode == kModeAllUsers || mode == kModeWow64) RemoveMenuFolder(c, files, Folder::CommonPrograms, targetPath);
  if (mode == kModeCurrentUser) {
    RemoveMenuFolder(c, files, Folder::UserPrograms, targetPath);
    // The uninstall (and help) shortcut of this mode went to the common
    // menu; they go, and the folder too when nothing else is left in it.
    RemoveCommonShortcuts(c, files, values);
  }
  if (mode == kModeWow64) {
    std::wstring dir;
    if (JoinPath(kWow64ProgramFiles, targetPath, dir) == kOk) {
      files.RemoveTree(dir);
      files.RemoveEmptyParents(kWow64ProgramFiles, targetPath);
    }
  }

  if (CloseProgram(c.host, title, 0) != kOk) return kStillRunning;
  files.RemoveTree(installDir);
  files.RemoveEmptyParents(programFiles, targetPath);
  return kOk;
}

}  // namespace zel::setup
