#include "power/win/dormel_ports.h"

#include "platform/win32/win32_platform.h"
#include "skin/dib_region.h"
#include "skin/skin_message_box.h"

namespace zel {

int DormelPrompter::Show(int background, const std::string& text, const std::string& caption, int kind) {
  return skin::ShowDormelBox(::GetActiveWindow(), background, text, caption, kind);
}

void DormelPrompter::PlaySound(int waveId) { skin::PlayWave(waveId); }

DormelPorts::DormelPorts() : table_(win32::Win32Platform()) {
  devices_.Fill(table_);
  table_.skinned = &prompter_;
}

}  // namespace zel
