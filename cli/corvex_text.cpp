// corvex text KEY...: the texts of Corvex.mlf for the system language.
#include "cli/command.h"
#include "cli/language_text.h"

namespace zel::cli {

int RunCorvexText(const Arguments& args) {
  return PrintLanguageTexts("corvex", TextForm::kWide, args.Operands());
}

}  // namespace zel::cli
