// Small text files of the simulated machine: "key=value" lines, read afresh
// on every use and replaced whole (written to a temporary file, then renamed
// over the old one) so that a second process never sees half a file.
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace zel::sim {

using KeyValues = std::map<std::string, std::string>;

// Missing file: an empty map and true. False only when the file exists but
// cannot be read.
bool ReadKeyValues(const std::string& path, KeyValues& out);
bool WriteKeyValues(const std::string& path, const KeyValues& values);

// Whole-file helpers with the same replace-by-rename rule.
bool ReadTextFile(const std::string& path, std::string& out);
bool WriteTextFileAtomically(const std::string& path, const std::string& text);

// Numbers in these files: decimal or 0x-prefixed hexadecimal.
uint64_t ParseNumber(const std::string& text, uint64_t fallback);
std::string Hex(uint64_t value, int digits);

std::string HexBytes(const uint8_t* data, size_t n);
bool ParseHexBytes(const std::string& text, std::string& out);

}  // namespace zel::sim
