#include "security/win/tessary_ports.h"

#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "skin/dib_region.h"
#include "skin/skin_message_box.h"

namespace zel {

int TessaryBoxPrompter::Show(int background, const std::string& text, const std::string& caption, int kind) {
  // The box ends with the id of its button, which differs by background;
  // the tool's rules take the system's answers.
  switch (skin::ShowTessaryBox(::GetActiveWindow(), background, text, caption, kind)) {
    case 1052:
    case 1054:
      return kIdYes;
    case 1053:
    case 1055:
      return kIdNo;
    case 1:
    case 1058:
      return kIdOk;
    default:
      return kIdCancel;
  }
}

void TessaryBoxPrompter::PlaySound(int waveId) { skin::PlayWave(waveId); }

TessaryPorts::TessaryPorts() : table_(win32::Win32Platform()) { table_.skinned = &prompter_; }

}  // namespace zel
