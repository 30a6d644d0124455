#include "setup/pellix/hardware_ids.h"

#include <cstdio>

namespace zel::pellix {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::vector<std::string> ReadHardwareIds(PellixSystem& system, const std::string& configFile) {
  std::vector<std::string> ids;
  int32_t count = system.ReadInt(configFile, "HardwareID", "DeviceCount", 0);
  if (count > kMaxIdentifiers) count = kMaxIdentifiers;
  for (int32_t i = 0; i < count; ++i) {
    char key[24];
    std::snprintf(key, sizeof key, "Device%02d", static_cast<int>(i));
    std::string id = system.ReadString(configFile, "HardwareID", key, kMissingIdentifier);
    if (id.empty() || id.size() > kMaxIdentifierLength) continue;
    ids.push_back(std::move(id));
  }
  return ids;
}

bool DeviceMatches(const std::string& deviceId, const std::string& identifier) {
  if (identifier.empty() || deviceId.size() < identifier.size()) return false;
  for (size_t i = 0; i < identifier.size(); ++i) {
    if (Lower(deviceId[i]) != Lower(identifier[i])) return false;
  }
  return true;
}

bool InfMentions(const std::vector<std::string>& lines, const std::string& identifier) {
  if (identifier.empty()) return false;
  for (const std::string& line : lines) {
    if (line.find(identifier) != std::string::npos) return true;
  }
  return false;
}

}  // namespace zel::pellix
