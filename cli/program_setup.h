// What every command-line front end does first: install the ports of this
// system and form the program's paths (config.ini and the language file
// beside the executable), for the life of main.
#pragma once
#include "ports/platform.h"

namespace zel::cli {

class ProgramSetup {
 public:
  explicit ProgramSetup(const wchar_t* languageFileName);
  ProgramSetup(const ProgramSetup&) = delete;
  ProgramSetup& operator=(const ProgramSetup&) = delete;

 private:
  ScopedPorts ports_;
};

}  // namespace zel::cli
