#include "security/messages.h"

#include "common/texts.h"
#include "ports/platform.h"

namespace zel {

int ShowSecurityMessage(const SecurityMessage& m) {
  SkinnedPrompter* prompter = Ports().skinned;
  if (!prompter) return 0;
  return prompter->Show(m.background, TextA(m.key, m.text), TextA(m.captionKey, m.caption), m.kind);
}

bool AskSecurityQuestion(const SecurityMessage& m) { return ShowSecurityMessage(m) == kIdYes; }

}  // namespace zel
