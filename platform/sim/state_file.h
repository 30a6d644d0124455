// Small text files of the simulated machine: "key=value" lines, read afresh
// on every use and replaced whole (written to a temporary file, then renamed
// over the old one or swapped with it) so that a second process never sees
// half a file.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zel::sim {

using KeyValues = std::map<std::string, std::string>;

// Missing file: an empty map and true. False only when the file exists but
// cannot be read.
// `text`, when given, receives the text the map came from (empty when there
// was none to read); `missing`, whether there was no such file.
bool ReadKeyValues(const std::string& path, KeyValues& out, std::string* text = nullptr, bool* missing = nullptr);
// The text ReadKeyValues takes its map from: true and empty for a missing
// file, false and empty for one that cannot be read.
bool ReadKeyValuesText(const std::string& path, std::string& text, bool* missing = nullptr);
// Each "key=value" line of such a text, in the file's order: lines end at
// '\n' (a '\r' before it is dropped); empty lines, lines starting with '#'
// and lines without '=' are passed over.
template <class Visit>
void ForEachKeyValue(std::string_view text, Visit visit) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    size_t last = end;
    if (last > at && text[last - 1] == '\r') --last;
    if (last > at && text[at] != '#') {
      const size_t eq = text.find('=', at);
      if (eq < last) visit(text.substr(at, eq - at), text.substr(eq + 1, last - eq - 1));
    }
    at = end + 1;
  }
}
// The map of one such text (a key given twice counts with its last value),
// and the text WriteKeyValues writes for a map: its lines in the keys' order.
KeyValues ParseKeyValues(const std::string& text);
std::string KeyValuesText(const KeyValues& values);
bool WriteKeyValues(const std::string& path, const KeyValues& values);

// Whole-file helpers with the same replace-by-rename rule.
bool ReadTextFile(const std::string& path, std::string& out);
bool WriteTextFileAtomically(const std::string& path, const std::string& text);

// `name` below `dir`, as the host's paths join them: an absolute name stands
// alone, and a separator goes between the two only where `dir` has none.
std::string JoinPath(const std::string& dir, const std::string& name);

// Holds the machine's state lock for its lifetime, so that a read, change
// and write of the state files by one process (a button press by the control
// tool, an acknowledgement by the program that polls) never overwrites what
// another process wrote in between. The lock is a file made exclusively in
// the machine directory, which works alike for native processes and for
// Windows programs under Wine (on Linux the file a holder let go of is kept
// and linked under the lock's name by the next, rather than made afresh).
// Taking it again on a thread that holds it is free; a lock file left behind
// by a process that died is broken once it is a few seconds old, and after a
// longer wait the holder goes on without it rather than hang.
class StateLock {
 public:
  explicit StateLock(const std::string& machineDir);
  ~StateLock();
  StateLock(const StateLock&) = delete;
  StateLock& operator=(const StateLock&) = delete;
  bool Held() const { return owned_ || nested_; }

 private:
  std::string path_;
  bool owned_ = false;
  bool linked_ = false;  // taken by linking the let-go lock file under its name
  bool nested_ = false;
};

// How many times this process has written one of a machine's files (its
// description, a state, an image): a count taken before a look at the
// machine tells whether the process has changed anything of it since.
uint64_t OwnWrites();
void NoteOwnWrite();

// Numbers in these files: decimal or 0x-prefixed hexadecimal.
uint64_t ParseNumber(std::string_view text, uint64_t fallback);
std::string Hex(uint64_t value, int digits);
// Numbers in `base` (10 or 16, no prefix) joined by dots at the start of
// `text`, such as "5.1.2600" or "00.0002": up to `most` of them go to `out`,
// as far as they run; how many were read.
size_t ReadDottedNumbers(std::string_view text, int base, unsigned* out, size_t most);

std::string HexBytes(const uint8_t* data, size_t n);
// Bytes written as two hex digits each, as HexBytes writes them; false (and
// no bytes) for any other text.
bool ParseHexBytes(std::string_view text, std::string& out);

}  // namespace zel::sim
