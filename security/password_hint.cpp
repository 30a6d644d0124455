#include "security/password_hint.h"

#include "common/text.h"
#include "ports/platform.h"

namespace zel {

std::string DisplayedHint(std::string text) {
  const size_t cut = text.find_last_of('\\');
  if (cut != std::string::npos && cut > 0) {
    text.resize(cut);
    if (!text.empty() && text[0] == '"') text.erase(0, 1);
  }
  return text;
}

std::string ReadPasswordHint() {
  RegistryPort* registry = Ports().registry;
  if (!registry) return {};
  RegValue value;
  // 24 characters and the terminator.
  const uint32_t maxBytes = (kHintMaxChars + 1) * 2;
  if (registry->ReadValue(RegRoot::LocalMachine, kHintKey, kHintValue, maxBytes, value) != 0) return {};
  std::string text = WideToAnsi(RegValueText(value));
  if (text.size() > kHintMaxChars) return {};
  return DisplayedHint(std::move(text));
}

bool WritePasswordHint(const std::string& hint) {
  RegistryPort* registry = Ports().registry;
  if (!registry || registry->KeyExists(RegRoot::LocalMachine, kHintKey) != 0) return false;
  return registry->WriteValue(RegRoot::LocalMachine, kHintKey, RegString(kHintValue, AnsiToWide(hint))) == 0;
}

void DeletePasswordHint() {
  if (RegistryPort* registry = Ports().registry) {
    registry->DeleteValue(RegRoot::LocalMachine, kHintKey, kHintValue);
  }
}

}  // namespace zel
