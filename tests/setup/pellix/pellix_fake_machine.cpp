#include "tests/setup/pellix/pellix_fake_machine.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "setup/pellix/pellix_steps.h"

namespace zel::pellix::test {
namespace {

std::string Norm(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::string Parent(const std::string& path) {
  size_t cut = path.rfind('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool Under(const std::string& path, const std::string& dir) {
  return path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '\\';
}

}  // namespace

FakeMachine::FakeMachine() { dirs_.insert("c:\\"); }

void FakeMachine::Write(const std::string& path, const std::string& text) {
  std::string p = Norm(path);
  files_[p] = text;
  for (std::string d = Parent(p); d.size() >= 2; d = Parent(d)) dirs_.insert(d);
}

bool FakeMachine::Exists(const std::string& path) const { return files_.count(Norm(path)) != 0; }
bool FakeMachine::DirExists(const std::string& path) const { return dirs_.count(Norm(path)) != 0; }

std::string FakeMachine::Read(const std::string& path) const {
  auto it = files_.find(Norm(path));
  return it == files_.end() ? std::string() : it->second;
}

std::vector<std::string> FakeMachine::Listing() const {
  std::vector<std::string> out;
  for (const auto& [path, text] : files_) out.push_back(path);
  return out;
}

bool FakeMachine::FindValue(const std::string& file, const char* section, const char* key,
                            std::string& value) {
  auto it = files_.find(Norm(file));
  if (it == files_.end()) return false;
  std::istringstream in(it->second);
  std::string line, current;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = Norm(line.substr(1, line.size() - 2));
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || current != Norm(section)) continue;
    if (Norm(Trim(line.substr(0, eq))) == Norm(key)) {
      value = Trim(line.substr(eq + 1));
      return true;
    }
  }
  return false;
}

int32_t FakeMachine::ReadInt(const std::string& file, const char* section, const char* key,
                             int32_t def) {
  std::string value;
  if (!FindValue(file, section, key, value)) return def;
  return static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10));
}

std::string FakeMachine::ReadString(const std::string& file, const char* section, const char* key,
                                    const char* def) {
  std::string value;
  return FindValue(file, section, key, value) ? value : std::string(def);
}

uint32_t FakeMachine::RemoveFile(const std::string& path) {
  if (files_.erase(Norm(path)) == 0) return kFileMissing;
  events.push_back("delete " + Norm(path));
  return kOk;
}

uint32_t FakeMachine::CopyFiles(const std::string& targetDir, const std::string& sourceDir,
                                const std::vector<std::string>& names) {
  if (names.empty()) return kCopyNothing;
  std::string target = Norm(targetDir);
  for (std::string d = target; d.size() >= 2; d = Parent(d)) dirs_.insert(d);
  uint32_t result = kOk;
  for (const std::string& name : names) {
    auto src = files_.find(Norm(sourceDir + "\\" + name));
    if (src == files_.end()) {
      result = kSourceMissing;
      continue;
    }
    files_[target + "\\" + Norm(name)] = src->second;
    events.push_back("copy " + target + "\\" + Norm(name));
  }
  return result;
}

uint32_t FakeMachine::RemoveTree(const std::string& dir) {
  std::string d = Norm(dir);
  if (!dirs_.count(d)) return kDirectoryMissing;
  for (auto it = files_.begin(); it != files_.end();) {
    it = Under(it->first, d) ? files_.erase(it) : std::next(it);
  }
  for (auto it = dirs_.begin(); it != dirs_.end();) {
    it = (*it == d || Under(*it, d)) ? dirs_.erase(it) : std::next(it);
  }
  events.push_back("remove tree " + d);
  return kOk;
}

std::vector<std::string> FakeMachine::ListInfFiles(const std::string& dir) {
  std::vector<std::string> names;
  std::string d = Norm(dir);
  for (const auto& [path, text] : files_) {
    if (Parent(path) == d && path.size() > 4 && path.compare(path.size() - 4, 4, ".inf") == 0) {
      names.push_back(path.substr(d.size() + 1));
    }
  }
  return names;
}

bool FakeMachine::ReadLines(const std::string& path, std::vector<std::string>& lines) {
  auto it = files_.find(Norm(path));
  if (it == files_.end()) return false;
  std::istringstream in(it->second);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

uint32_t FakeMachine::DeleteRegistryTree(const std::string& key) {
  std::string k = Norm(key);
  size_t erased = 0;
  for (auto it = registryKeys.begin(); it != registryKeys.end();) {
    if (*it == k || Under(*it, k)) {
      it = registryKeys.erase(it);
      ++erased;
    } else {
      ++it;
    }
  }
  return erased ? kOk : (kRegistryTreeFailed | 2);
}

bool FakeMachine::SetRunValue(const std::string& name, const std::string& value) {
  if (!runKeyOpens) return false;
  runValues[name] = value;
  events.push_back("run value " + name);
  return true;
}

bool FakeMachine::DeleteRunValue(const std::string& name) {
  if (!runKeyOpens) return false;
  runValues.erase(name);
  return true;
}

uint32_t FakeMachine::WalkDevices(const char* className,
                                  const std::function<DeviceAction(const std::string&)>& visit) {
  if (!setupApiLoads) return kSetupApiMissing;
  if (std::string(className) != "USB") return kDeviceListFailed;
  for (auto it = devices.begin(); it != devices.end();) {
    if (visit(it->firstId) == DeviceAction::kKeep) {
      ++it;
      continue;
    }
    if (it->refusesRemoval) return kDeviceRefused;
    removedDevices.push_back(it->firstId);
    it = devices.erase(it);
  }
  return kOk;
}

bool FakeMachine::WindowExists(const char* title) {
  return removalWindowOpen && std::string(title) == kRemovalTitle;
}

void FakeMachine::RequestClose(const char* title) {
  if (!WindowExists(title)) return;
  ++closeRequests;
  if (closeRequestsNeeded >= 0 && ++requestsToThisWindow_ >= closeRequestsNeeded) {
    removalWindowOpen = false;
    events.push_back("closed");
  }
}

bool FakeMachine::StartHidden(const std::string& program) {
  started.push_back(Norm(program));
  events.push_back("start " + Norm(program));
  if (!Exists(program)) return false;
  removalWindowOpen = true;
  requestsToThisWindow_ = 0;
  return true;
}

}  // namespace zel::pellix::test
