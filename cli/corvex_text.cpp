// corvex text KEY...: the texts of Corvex.mlf for the system language.
#include "cli/language_text.h"

namespace zel::cli {

int RunCorvexText(const std::vector<std::string>& args) {
  return PrintLanguageTexts("corvex", TextForm::kWide, args);
}

}  // namespace zel::cli
