#include "common/hardware_list.h"

#include <cstdio>
#include <vector>

#include "common/text.h"
#include "ports/platform.h"

namespace zel {
namespace {

std::vector<std::wstring>& List() {
  static std::vector<std::wstring> list;
  return list;
}

int BoundedCount(int32_t count) {
  if (count < 0) return 0;
  return count > kMaxHardwareIds ? kMaxHardwareIds : count;
}

}  // namespace

void LoadHardwareList(const std::wstring& configPath) {
  FreeHardwareList();
  ProfilePort* profile = Ports().profile;
  if (profile == nullptr) return;
  // The count and the entries from one version of the file.
  ProfileLookup lookup(profile);
  const int count = BoundedCount(profile->GetIntW(configPath, L"HardwareID", L"DeviceCount", 0));
  for (int i = 0; i < count; ++i) {
    wchar_t key[24];
    std::swprintf(key, 24, L"Device%02d", i);
    wchar_t slot[kHardwareIdSlot] = {};
    profile->GetStringW(configPath, L"HardwareID", key, L"BADID", slot, kHardwareIdSlot);
    slot[kHardwareIdSlot - 1] = 0;
    List().push_back(UpperWide(slot));
  }
}

void LoadHardwareListA(const std::string& configPath) {
  FreeHardwareList();
  ProfilePort* profile = Ports().profile;
  if (profile == nullptr) return;
  ProfileLookup lookup(profile);
  const int count = BoundedCount(profile->GetIntA(configPath, "HardwareID", "DeviceCount", 0));
  for (int i = 0; i < count; ++i) {
    char key[24];
    std::snprintf(key, sizeof key, "Device%02d", i);
    char slot[kHardwareIdSlot] = {};
    profile->GetStringA(configPath, "HardwareID", key, "BADID", slot, kHardwareIdSlot);
    slot[kHardwareIdSlot - 1] = 0;
    List().push_back(UpperWide(AnsiToWide(slot)));
  }
}

void FreeHardwareList() {
  List().clear();
  List().shrink_to_fit();
}

size_t HardwareListSize() { return List().size(); }

bool MatchHardwareId(const std::wstring& hardwareId) {
  const std::wstring id = UpperWide(hardwareId);
  for (const std::wstring& entry : List()) {
    if (!entry.empty() && id.compare(0, entry.size(), entry) == 0) return true;
  }
  return false;
}

}  // namespace zel
