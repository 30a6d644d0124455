// The system registry, reduced to what the suite reads and writes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

enum class RegRoot { LocalMachine, CurrentUser };

// Registry value types, numbered as the system numbers them.
enum : uint32_t { kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7 };

struct RegValue {
  std::wstring name;
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;  // raw bytes as stored (strings as UTF-16LE with terminator)
};

// Every call opens the key, does its work and closes it again. Results are
// system error codes: 0 success, 2 key or value not found, 5 access denied.
class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  virtual long KeyExists(RegRoot root, const std::wstring& key) = 0;
  virtual long CreateKey(RegRoot root, const std::wstring& key) = 0;
  // Reads at most `maxBytes` of data; a longer value gives error 234 (more data).
  virtual long ReadValue(RegRoot root, const std::wstring& key, const std::wstring& name,
                         uint32_t maxBytes, RegValue& out) = 0;
  // Writes into an existing key; a missing key gives 2 (keys are never created here).
  virtual long WriteValue(RegRoot root, const std::wstring& key, const RegValue& value) = 0;
  virtual long DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) = 0;
  // Values of a key in their stored order.
  virtual long EnumValues(RegRoot root, const std::wstring& key, std::vector<RegValue>& out) = 0;
  virtual long DeleteTree(RegRoot root, const std::wstring& key) = 0;
};

// Helpers for string values (UTF-16LE with a terminating zero).
RegValue RegString(const std::wstring& name, const std::wstring& text);
std::wstring RegValueText(const RegValue& value);

}  // namespace zel
