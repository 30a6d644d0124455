#include "platform/posix/posix_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "common/text.h"
#include "platform/posix/host_file.h"
#include "platform/posix/ini_file.h"

namespace zel::posix {
namespace {

// What a read yields before it meets the caller's buffer: one text (a value
// or the default) or the key names of a section.
struct Answer {
  bool isList = false;
  std::wstring text;
  std::vector<std::wstring> names;
};

// A path that is not a readable regular file (a directory named as a language
// file, say) reads as a missing file: every lookup gives its default.
// `known` is the file's status as a look by its name just gave it.
std::shared_ptr<const IniFile> ParseFile(const std::string& path, const struct stat& known) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::vector<uint8_t> bytes;
  const int error = ReadToEnd(fd, bytes, UINT64_MAX, &known);
  ::close(fd);
  if (error != 0) return nullptr;
  return std::make_shared<const IniFile>(ParseIni(DecodeIniText(bytes)));
}

// The version of a regular file at `path`, and its status; false when there
// is none.
bool VersionOf(const std::string& path, FileVersion& out, struct stat& st) {
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  out = FileVersion::Of(st);
  return true;
}

// A program reads the same few files (config.ini, the language files) for
// every text it shows. Each read still asks the file system whether the file
// is there and unchanged, so a change counts from the next read on as before;
// only an unchanged file is not read and parsed again.
class ParsedFiles {
 public:
  std::shared_ptr<const IniFile> Get(const std::string& path) {
    FileVersion now;
    struct stat st;
    if (!VersionOf(path, now, st)) return nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const Entry& e : entries_) {
        if (e.path == path && e.version == now) return e.file;
      }
    }
    std::shared_ptr<const IniFile> file = ParseFile(path, st);
    FileVersion after;
    // A file written while it was read is parsed again next time.
    if (!file || !now.Settled() || !VersionOf(path, after, st) || !(after == now)) return file;
    std::lock_guard<std::mutex> lock(mutex_);
    auto same = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == path; });
    if (same != entries_.end()) entries_.erase(same);
    if (entries_.size() >= kKept) entries_.erase(entries_.begin());
    entries_.push_back(Entry{path, now, file});
    return file;
  }

 private:
  static constexpr size_t kKept = 8;
  struct Entry {
    std::string path;
    FileVersion version;
    std::shared_ptr<const IniFile> file;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
};

// The files a lookup on this thread has read so far (a missing one as null),
// while one goes on.
struct Lookup {
  int depth = 0;
  std::vector<std::pair<std::string, std::shared_ptr<const IniFile>>> seen;
};
thread_local Lookup lookup;

std::shared_ptr<const IniFile> LoadIni(const std::string& path) {
  static ParsedFiles files;
  if (lookup.depth == 0) return files.Get(path);
  for (const auto& [name, file] : lookup.seen) {
    if (name == path) return file;
  }
  std::shared_ptr<const IniFile> file = files.Get(path);
  lookup.seen.emplace_back(path, file);
  return file;
}

// One pair of matching quotes around a text is dropped.
std::wstring_view DropQuotes(std::wstring_view s) {
  if (s.size() >= 2 && (s[0] == L'"' || s[0] == L'\'') && s.back() == s[0]) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

// The default loses its trailing spaces (only spaces) and, like a value, one
// pair of surrounding quotes; a null default is empty.
std::wstring_view PrepareDefault(std::optional<std::wstring_view> def) {
  if (!def) return {};
  std::wstring_view s = *def;
  while (!s.empty() && s.back() == L' ') s.remove_suffix(1);
  return DropQuotes(s);
}

using Name = std::optional<std::wstring_view>;

Answer Read(const std::string& path, Name section, Name key, Name def) {
  Answer answer;
  answer.text = PrepareDefault(def);
  if (!section) {
    answer.text.clear();  // the list of section names is not offered
    return answer;
  }
  std::shared_ptr<const IniFile> file = LoadIni(path);
  if (!file) return answer;
  const IniSection* s = FindSection(*file, *section);
  if (key) {
    const IniKey* k = s ? FindKey(*s, *key) : nullptr;
    if (k && k->value) answer.text = DropQuotes(*k->value);
    return answer;
  }
  if (s) answer.names = ListedKeyNames(*s);
  // A section without listed keys answers with the default, as the system does.
  answer.isList = !answer.names.empty();
  return answer;
}

// True when position i of s starts a character (never inside a UTF-8 sequence).
bool StartsCharacter(const std::string& s, size_t i) {
  return (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
}
bool StartsCharacter(const std::wstring&, size_t) { return true; }

// Copies the first n units of s and zeroes the buffer from there to `end`.
template <class Ch>
void CopyAndClear(const std::basic_string<Ch>& s, size_t n, Ch* buf, size_t end) {
  for (size_t i = 0; i < n; ++i) buf[i] = s[i];
  for (size_t i = n; i < end; ++i) buf[i] = Ch(0);
}

// A value: cut to size - 1 units and terminated; a cut value returns size - 1.
template <class Ch>
uint32_t FillValue(const std::basic_string<Ch>& v, Ch* buf, uint32_t size) {
  if (size == 0 || buf == nullptr) return 0;
  if (v.size() <= size - 1) {
    CopyAndClear(v, v.size(), buf, v.size() + 1);
    return static_cast<uint32_t>(v.size());
  }
  size_t n = size - 1;
  while (n > 0 && !StartsCharacter(v, n)) --n;
  CopyAndClear(v, n, buf, size);
  return size - 1;
}

// A key list: each name terminated, the list ended by one more terminator.
// When it does not fit, it is cut to size - 2 units, the last name loses its
// end, two terminators follow and size - 2 is returned.
template <class Ch>
uint32_t FillList(const std::vector<std::basic_string<Ch>>& names, Ch* buf, uint32_t size) {
  if (size == 0 || buf == nullptr) return 0;
  std::basic_string<Ch> joined;
  for (const auto& n : names) {
    joined += n;
    joined.push_back(Ch(0));
  }
  if (joined.size() + 1 <= size) {
    CopyAndClear(joined, joined.size(), buf, joined.size() + 1);
    return static_cast<uint32_t>(joined.size());
  }
  if (size < 2) {
    buf[0] = Ch(0);
    return 0;
  }
  size_t n = size - 2;
  while (n > 0 && !StartsCharacter(joined, n)) --n;
  CopyAndClear(joined, n, buf, size);
  return size - 2;
}

Name View(const wchar_t* s) { return s ? Name(s) : std::nullopt; }

// An 8-bit name in its wide form, kept while it is looked up.
struct WideName {
  explicit WideName(const char* s) : present(s != nullptr), text(s ? AnsiToWide(s) : std::wstring()) {}
  operator Name() const { return present ? Name(text) : std::nullopt; }
  bool present;
  std::wstring text;
};

// The integer read: the text as the string read with an empty default gives
// it, through the 30-character buffer the system reads it into.
int32_t IntFrom(const Answer& a, int32_t def) {
  wchar_t buf[30];
  uint32_t n = a.isList ? FillList(a.names, buf, 30) : FillValue(a.text, buf, 30);
  if (n == 0 || buf[0] == 0) return def;
  return ParseProfileInt(std::wstring_view(buf, n));
}

bool PathExists(const std::string& path) {
  if (path.empty()) return false;
  // During a lookup the file is read next anyway: one look at it serves both.
  if (lookup.depth > 0 && LoadIni(path) != nullptr) return true;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

uint32_t PosixProfile::GetStringW(const std::wstring& file, const wchar_t* section,
                                  const wchar_t* key, const wchar_t* def, wchar_t* buf,
                                  uint32_t size) {
  Answer a = Read(WideToUtf8(file), View(section), View(key), View(def));
  return a.isList ? FillList(a.names, buf, size) : FillValue(a.text, buf, size);
}

uint32_t PosixProfile::GetStringA(const std::string& file, const char* section, const char* key,
                                  const char* def, char* buf, uint32_t size) {
  Answer a = Read(file, WideName(section), WideName(key), WideName(def));
  if (!a.isList) return FillValue(WideToAnsi(a.text), buf, size);
  std::vector<std::string> names;
  for (const std::wstring& n : a.names) names.push_back(WideToAnsi(n));
  return FillList(names, buf, size);
}

int32_t PosixProfile::GetIntW(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                              int32_t def) {
  return IntFrom(Read(WideToUtf8(file), View(section), View(key), std::wstring_view()), def);
}

int32_t PosixProfile::GetIntA(const std::string& file, const char* section, const char* key,
                              int32_t def) {
  return IntFrom(Read(file, WideName(section), WideName(key), std::wstring_view()), def);
}

bool PosixProfile::FileExistsW(const std::wstring& path) { return PathExists(WideToUtf8(path)); }
bool PosixProfile::FileExistsA(const std::string& path) { return PathExists(path); }

int32_t ParseProfileInt(std::wstring_view text) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] <= L' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  uint32_t base = 10;
  if (i + 1 < n && text[i] == L'0') {
    wchar_t p = text[i + 1];
    if (p == L'x') base = 16;
    if (p == L'o') base = 8;
    if (p == L'b') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t total = 0;
  for (; i < n; ++i) {
    wchar_t c = text[i];
    uint32_t digit;
    if (c >= L'0' && c <= L'9') digit = static_cast<uint32_t>(c - L'0');
    else if (c >= L'a' && c <= L'z') digit = static_cast<uint32_t>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'Z') digit = static_cast<uint32_t>(c - L'A' + 10);
    else break;
    if (digit >= base) break;
    total = total * base + digit;
  }
  return static_cast<int32_t>(negative ? 0u - total : total);
}

std::shared_ptr<const void> PosixProfile::FileVersionW(const std::wstring& path) {
  return FileVersionA(WideToUtf8(path));
}

std::shared_ptr<const void> PosixProfile::FileVersionA(const std::string& path) {
  // A file that changed too recently to be kept is parsed anew at each
  // read, and so is another object each time.
  return path.empty() ? nullptr : LoadIni(path);
}

void PosixProfile::BeginLookup() { ++lookup.depth; }

void PosixProfile::EndLookup() {
  if (lookup.depth > 0 && --lookup.depth == 0) lookup.seen.clear();
}

}  // namespace zel::posix
