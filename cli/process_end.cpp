#include "cli/process_end.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace zel::cli {

void EndProcess(int status) {
#if defined(__SANITIZE_ADDRESS__)
  std::exit(status);
#else
  std::cout.flush();
  std::cerr.flush();
  std::wcout.flush();
  std::wcerr.flush();
  std::fflush(nullptr);
  std::_Exit(status);
#endif
}

}  // namespace zel::cli
