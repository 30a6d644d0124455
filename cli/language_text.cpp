#include "cli/language_text.h"

#include <cstdio>

#include "common/app_paths.h"
#include "common/language_file.h"
#include "common/text.h"
#include "common/texts.h"
#include "ports/platform.h"

namespace zel::cli {
namespace {

std::string Utf8(const std::wstring& s) { return WideToUtf8(s); }
std::string Utf8(const std::string& s) { return s; }  // 8-bit text is UTF-8 here

template <class Ch>
void PrintLanguage(const std::basic_string<Ch>& path) {
  LanguageFile<Ch> lang = LanguageFile<Ch>::Open(path);
  std::printf("language file %s: system language 0x%04X", Utf8(path).c_str(),
              Ports().system->DefaultLanguage());
  if (lang.status & kLanguageFileMissing) {
    std::printf(", file missing: built-in English texts\n");
    return;
  }
  if ((lang.status & kDefaultLanguageUnresolved) && lang.fellBack) {
    std::printf(", no language resolvable: built-in English texts\n");
    return;
  }
  if (lang.fellBack) std::printf(", not in the file: texts of 0x%04X", lang.systemLanguage);
  const LanguageEntry<Ch>& e = lang.systemEntry;
  if (e.form == LanguageForm::kFile) {
    std::printf(", section \"%s\" of %s\n", Utf8(e.section).c_str(), Utf8(e.file).c_str());
  } else {
    std::printf(", section \"%s\"\n", Utf8(e.section).c_str());
  }
}

bool PrintText(const std::string& key, TextForm form) {
  std::string text;
  bool found;
  if (form == TextForm::kWide) {
    std::wstring wide;
    found = FindTextW(Utf8ToWide(key).c_str(), wide);
    text = WideToUtf8(wide);
  } else {
    found = FindTextA(key.c_str(), text);
  }
  if (found) {
    std::printf("%s found: %s\n", key.c_str(), text.c_str());
  } else {
    std::printf("%s missing\n", key.c_str());
  }
  return found;
}

}  // namespace

int PrintLanguageTexts(const char* tool, TextForm form, const std::vector<std::string>& keys) {
  if (keys.empty()) {
    std::fprintf(stderr, "usage: %s text KEY...\n", tool);
    return 2;
  }
  if (form == TextForm::kWide) {
    PrintLanguage(ProcessPaths().languageFile);
  } else {
    PrintLanguage(WideToAnsi(ProcessPaths().languageFile));
  }
  bool all = true;
  for (const std::string& key : keys) all = PrintText(key, form) && all;
  return all ? 0 : 1;
}

}  // namespace zel::cli
