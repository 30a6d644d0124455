// Sub-commands of zelsim, the simulated machine's control tool.
#pragma once
#include <string>
#include <vector>

#include "cli/command.h"

namespace zel::cli {

int ZelsimCreate(const Arguments& args);
int ZelsimShow(const Arguments& args);
int ZelsimDrives(const Arguments& args);
int ZelsimPress(const Arguments& args);
int ZelsimFault(const Arguments& args);
int ZelsimAddLun(const Arguments& args);
int ZelsimSet(const Arguments& args);
int ZelsimCommand(const Arguments& args);

// "--disk N" (an enclosure as zelsim show numbers them, from 1; default 1).
bool ReadEnclosureNumber(const Arguments& args, int& number);
// Reports an error of a sub-command and gives the exit status 1.
int Fail(const char* command, const std::string& message);
// Reports unexpected arguments; the exit status 2.
int Usage(const char* command, const char* usage);

}  // namespace zel::cli
