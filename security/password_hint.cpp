#include "security/password_hint.h"

#include "common/text.h"
#include "ports/platform.h"
#include "security/code_page.h"

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
  // A generous read: the limit that counts is the code page's 24 bytes.
  const uint32_t maxBytes = (kHintMaxBytes + 1) * 4;
  if (registry->ReadValue(RegRoot::LocalMachine, kHintKey, kHintValue, maxBytes, value) != 0) return {};
  std::string text;
  if (!WideToCodePage(RegValueText(value), text) || !HintFits(text)) return {};
  return DisplayedHint(std::move(text));
}

bool HintStoreExists() {
  RegistryPort* registry = Ports().registry;
  return registry && registry->KeyExists(RegRoot::LocalMachine, kHintKey) == 0;
}

bool WritePasswordHint(const std::string& hint) {
  std::wstring characters;
  if (!HintFits(hint) || !CodePageToWide(hint, characters) || !HintStoreExists()) return false;
  return Ports().registry->WriteValue(RegRoot::LocalMachine, kHintKey, RegString(kHintValue, characters)) == 0;
}

void DeletePasswordHint() {
  if (RegistryPort* registry = Ports().registry) {
    registry->DeleteValue(RegRoot::LocalMachine, kHintKey, kHintValue);
  }
}

}  // namespace zel
