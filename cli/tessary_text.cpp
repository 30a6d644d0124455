// tessary text KEY...: the texts of Tessary.mlf for the system language.
#include "cli/command.h"
#include "cli/language_text.h"

namespace zel::cli {

int RunTessaryText(const Arguments& args) {
  return PrintLanguageTexts("tessary", TextForm::kEightBit, args.Operands());
}

}  // namespace zel::cli
