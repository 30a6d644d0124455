#include "copy/main_frame_rules.h"

#include "common/config.h"
#include "common/texts.h"
#include "copy/button_latch.h"
#include "copy/task_flags.h"
#include "ports/platform.h"

namespace zel {

std::wstring TrayTip(const std::wstring& description) {
  constexpr size_t kTipChars = 63;
  if (description.size() <= kTipChars) return description;
  size_t n = kTipChars;
  wchar_t last = description[n - 1];
  if (sizeof(wchar_t) == 2 && last >= 0xD800 && last <= 0xDBFF) --n;  // keep a pair whole
  return description.substr(0, n);
}

std::wstring ReadAppDescription() {
  return ReadString(L"Installation", L"AppDesc", L"Brindle One Touch Backup Software", 260);
}

uint8_t ReadButtonMode() { return ButtonModeFromConfig(ReadInt(L"Config", L"Button", 1)); }

std::vector<MenuText> LocalisedTrayMenuTexts() {
  struct Item {
    unsigned position;
    const wchar_t* key;
  };
  static const Item kItems[] = {{0, L"MenuConfig"}, {1, L"MenuHelp"}, {3, L"MenuExit"}};
  std::vector<MenuText> out;
  for (const Item& item : kItems) {
    std::wstring text;
    if (FindTextW(item.key, text)) out.push_back({item.position, text});
  }
  return out;
}

void ResetButtonLatches(ButtonLatch& latch, const DiskList& disks) {
  for (uint32_t i = 0; i < disks.count && i < kMaxDisks; ++i) {
    if (!disks.disks[i].present) continue;
    latch.Read(i);
    latch.Write(i, 0xFF);
  }
}

void ShowWaitForCopyRun(uintptr_t owner) {
  if (!Ports().prompter) return;
  Ports().prompter->MessageBox(owner, TextW(L"MsgStr34", L"Please wait for execution work to finish!"),
                               TextW(L"MsgCaption01", L"Warning Message"), kMbIconWarning);
}

}  // namespace zel
