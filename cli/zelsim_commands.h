// Sub-commands of zelsim, the simulated machine's control tool.
#pragma once
#include <string>
#include <vector>

namespace zel::cli {

int ZelsimCreate(const std::vector<std::string>& args);
int ZelsimShow(const std::vector<std::string>& args);
int ZelsimDrives(const std::vector<std::string>& args);
int ZelsimPress(const std::vector<std::string>& args);
int ZelsimFault(const std::vector<std::string>& args);
int ZelsimAddLun(const std::vector<std::string>& args);
int ZelsimSet(const std::vector<std::string>& args);

// "--disk N" (an enclosure as zelsim show numbers them, from 1; default 1).
bool TakeEnclosureNumber(std::vector<std::string>& args, int& number);
// Reports an error of a sub-command and gives the exit status 1.
int Fail(const char* command, const std::string& message);
// Reports unexpected arguments; the exit status 2.
int Usage(const char* command, const char* usage);

}  // namespace zel::cli
