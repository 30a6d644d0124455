#include "security/messages.h"

#include "common/texts.h"
#include "ports/platform.h"

namespace zel {
namespace {

int Show(const SecurityMessage& m, const std::string& text, const std::string& caption) {
  SkinnedPrompter* prompter = Ports().skinned;
  if (!prompter) return 0;
  return prompter->Show(m.background, text, caption, m.kind);
}

}  // namespace

int ShowSecurityMessage(const SecurityMessage& m) {
  std::string text, caption;
  {
    // A message's text and caption come from one version of the language file.
    ProfileLookup lookup(Ports().profile);
    text = TextA(m.key, m.text);
    caption = TextA(m.captionKey, m.caption);
  }
  return Show(m, text, caption);
}

int ShowSecurityMessageText(const SecurityMessage& m, const std::string& text) {
  return Show(m, text, TextA(m.captionKey, m.caption));
}

bool AskSecurityQuestion(const SecurityMessage& m) { return ShowSecurityMessage(m) == kIdYes; }

}  // namespace zel
