#include "setup/setup_shortcuts.h"

#include "setup/setup_paths.h"

namespace zel::setup {
namespace {

// The system's error for a failed step; the step's own status when the
// system kept no error, so a failure never reads as success.
Result SystemError(const LinkOutcome& outcome, long step) {
  return static_cast<Result>(outcome.lastError != 0 ? outcome.lastError : step);
}

}  // namespace

Result LinkResult(const LinkOutcome& o, LinkRules rules, Result makePathResult) {
  if (rules == LinkRules::Uninstall) {
    if (o.createObject != 0) return kNoLinkObject;
    if (o.fileInterface != 0) return kNoLinkFile;
    if (o.setTarget != 0 || o.setWorkDir != 0 || o.setDescription != 0) return kLinkSetFailed;
    if (o.save != 0) return kLinkSaveFailed;
    return makePathResult;
  }
  if (o.createObject != 0) return SystemError(o, o.createObject);
  if (o.fileInterface != 0) return SystemError(o, o.fileInterface);
  if (o.setWorkDir != 0) return SystemError(o, o.setWorkDir);
  if (o.setArguments != 0) return SystemError(o, o.setArguments);
  if (o.setDescription != 0) return SystemError(o, o.setDescription);
  if (o.setTarget != 0) return kLinkSetFailed;
  if (o.save != 0) return kLinkSaveFailed;
  return makePathResult;
}

Result CreateShortcut(SetupFiles& files, SetupHost& host, const Shortcut& s, LinkRules rules) {
  if (CheckTargetPath(s.name) != kOk || s.name.find_first_of(L"\\/") != std::wstring::npos) return kUnsafeTarget;
  std::wstring base;
  if (host.SpecialFolder(s.folder, base) != 0 || base.empty()) return kNoSpecialFolder;
  LinkRequest request;
  std::wstring folderPath;
  if (Result r = JoinPath(base, s.subFolder, folderPath); r != kOk) return r;
  if (Result r = JoinPath(folderPath, s.name + L".lnk", request.file); r != kOk) return r;
  if (Result r = JoinPath(s.workDir, s.program, request.target); r != kOk) return r;
  const Result made = files.MakePath(base, s.subFolder);
  request.workDir = s.workDir;
  request.arguments = s.arguments;
  request.description = s.name;
  return LinkResult(host.WriteShortcut(request), rules, made);
}

}  // namespace zel::setup
