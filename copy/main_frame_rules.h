// What the Corvex main frame decides when it is created and when the user
// asks for the configuration window, apart from the window calls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/disk_record.h"

namespace zel {

class ButtonLatch;

// The tray tip: the application description, at most 63 characters (a
// character made of two UTF-16 units is not split).
std::wstring TrayTip(const std::wstring& description);
// `AppDesc` of section `Installation`, read into 260 characters.
std::wstring ReadAppDescription();

// The button mode from `Button` of section `Config` (copy/task_flags.h).
uint8_t ReadButtonMode();

// The tray menu's texts that the language file replaces, by position:
// `MenuConfig` at 0, `MenuHelp` at 1, `MenuExit` at 3; keys that are not
// found are left out, so those items keep their resource texts.
struct MenuText {
  unsigned position;
  std::wstring text;
};
std::vector<MenuText> LocalisedTrayMenuTexts();

// Drops the presses made while the program was not running: every present
// disk's status is read once and 0xFF (all buttons released) written to it.
void ResetButtonLatches(ButtonLatch& latch, const DiskList& disks);

// The warning shown when the configuration window is asked for during a
// button-started copy run.
void ShowWaitForCopyRun(uintptr_t owner);

}  // namespace zel
