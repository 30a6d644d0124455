// dormel text KEY...: the texts of Dormel.mlf for the system language.
#include "cli/command.h"
#include "cli/language_text.h"

namespace zel::cli {

int RunDormelText(const Arguments& args) {
  return PrintLanguageTexts("dormel", TextForm::kEightBit, args.Operands());
}

}  // namespace zel::cli
