// JSON for the --json output of the status sub-commands.
#pragma once
#include <string>

namespace zel::cli {

// `text` (UTF-8) as a JSON string, quotes included; control characters and
// bytes that are not UTF-8 are escaped so the result always parses.
std::string JsonQuote(const std::string& text);

}  // namespace zel::cli
