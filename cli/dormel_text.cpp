// dormel text KEY...: the texts of Dormel.mlf for the system language.
#include "cli/language_text.h"

namespace zel::cli {

int RunDormelText(const std::vector<std::string>& args) {
  return PrintLanguageTexts("dormel", TextForm::kEightBit, args);
}

}  // namespace zel::cli
