#include "security/win/tessary_ports.h"

#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "skin/dib_region.h"
#include "skin/skin_message_box.h"

namespace zel {

int TessaryBoxPrompter::Show(int background, const std::string& text, const std::string& caption, int kind) {
  return skin::ShowTessaryBox(::GetActiveWindow(), background, text, caption, kind);
}

void TessaryBoxPrompter::PlaySound(int waveId) { skin::PlayWave(waveId); }

TessaryPorts::TessaryPorts() : table_(win32::Win32Platform()) { table_.skinned = &prompter_; }

}  // namespace zel
