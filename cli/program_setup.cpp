#include "cli/program_setup.h"

#include "cli/heap_settings.h"
#include "common/app_paths.h"
#include "platform/posix/posix_platform.h"

namespace zel::cli {

ProgramSetup::ProgramSetup(const wchar_t* languageFileName)
    : ports_((SetUpHeap(), posix::PosixPlatform())) {
  ProcessPaths() = FormAppPaths(Ports().system->ModulePath(), languageFileName);
}

}  // namespace zel::cli
