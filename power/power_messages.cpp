#include "power/power_messages.h"

#include "common/texts.h"
#include "ports/platform.h"

namespace zel {

int ShowPowerMessage(const PowerMessage& m) {
  SkinnedPrompter* prompter = Ports().skinned;
  if (!prompter) return 0;
  if (m.sound != 0) prompter->PlaySound(m.sound);
  return prompter->Show(m.background, TextA(m.key, m.text), TextA(m.captionKey, m.caption), m.kind);
}

}  // namespace zel
