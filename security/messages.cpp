#include "security/messages.h"

#include "common/texts.h"
#include "ports/platform.h"

namespace zel {

int ShowSecurityMessage(const SecurityMessage& m) { return ShowSecurityMessageText(m, TextA(m.key, m.text)); }

int ShowSecurityMessageText(const SecurityMessage& m, const std::string& text) {
  SkinnedPrompter* prompter = Ports().skinned;
  if (!prompter) return 0;
  return prompter->Show(m.background, text, TextA(m.captionKey, m.caption), m.kind);
}

bool AskSecurityQuestion(const SecurityMessage& m) { return ShowSecurityMessage(m) == kIdYes; }

}  // namespace zel
