// tessary text KEY...: the texts of Tessary.mlf for the system language.
#include "cli/language_text.h"

namespace zel::cli {

int RunTessaryText(const std::vector<std::string>& args) {
  return PrintLanguageTexts("tessary", TextForm::kEightBit, args);
}

}  // namespace zel::cli
