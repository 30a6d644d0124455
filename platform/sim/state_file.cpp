#include "platform/sim/state_file.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include "common/hex_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "platform/posix/host_file.h"
#include "platform/sim/machine_watch.h"
#endif

namespace zel::sim {
namespace fs = std::filesystem;

namespace {

// How often a file that changed while it was read is read again before its
// last text is taken as it is.
constexpr int kReadAttempts = 16;

#ifdef _WIN32
// Size and last write of a file, as the name and an open handle tell them.
bool SameVersion(const WIN32_FILE_ATTRIBUTE_DATA& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
         CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}
bool SameVersion(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow &&
         a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
         CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

// The whole file as one version of it: a file replaced or written while it
// was read (by a process of this host, which may write into a file it
// replaced a while ago) is read again, unless it keeps changing.
bool ReadWholeFile(const std::string& path, std::string& out) {
  for (int attempt = 1;; ++attempt) {
    out.clear();
    WIN32_FILE_ATTRIBUTE_DATA named{};
    const bool haveNamed = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &named) != 0;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION before{}, after{};
    const bool haveBefore = GetFileInformationByHandle(h, &before) != 0;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    const bool haveAfter = GetFileInformationByHandle(h, &after) != 0;
    CloseHandle(h);
    if (!haveBefore || !haveAfter) return true;  // a file system that cannot tell: taken as read
    if ((haveNamed && SameVersion(named, before) && SameVersion(before, after)) || attempt >= kReadAttempts) {
      return true;
    }
  }
}
#else
// `known`: the file's status as a look by its name just gave it, if any.
bool ReadWholeFile(const std::string& path, std::string& out, const struct stat* known = nullptr) {
  out.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ReadToEnd(fd, out, UINT64_MAX, known) == 0;
  close(fd);
  if (!ok) out.clear();
  return ok;
}
#endif

#ifndef _WIN32

// The machine's files are read on every port call, many times a second while
// a copy or a format runs, and change seldom. A process keeps each file's
// text with the identity it had (device, inode, size, modification and
// change times) and reads it again only when that has moved. Replacing a
// file by renaming gives it another inode or change time; a file changed so
// recently that a second change could fall in the same clock tick is not kept,
// unless its file system gives a change after a look a time of its own.
struct KeptText {
  FileVersion identity;
  std::string text;
};

std::mutex keptMutex;
std::map<std::string, KeptText> kept;

// The text this process has just put under `path`, in the file `fd` that
// now bears the name: kept as if read, on a file system that tells every
// change after a look (this one included) from this version. No other
// writer writes into that file while it bears the name, and one that
// replaces it gives the name another identity.
void KeepWrittenText(const std::string& path, int fd, const std::string& text) {
  struct stat st;
  if (fstat(fd, &st) != 0 || st.st_size != static_cast<off_t>(text.size())) return;
  std::lock_guard<std::mutex> lock(keptMutex);
  kept[path] = KeptText{FileVersion::Of(st), text};
}

// A file's text as kept or read afresh; `missing` when there is no such file.
// A text is taken only when the file read the same before and after: a file
// replaced or written while it was read is read again (see the spares below),
// unless it keeps changing, when the last text read is taken as it is.
bool ReadKeptText(const std::string& path, std::string& out, bool& missing) {
  for (int attempt = 1;; ++attempt) {
    missing = false;
    struct stat st;
    const bool found = stat(path.c_str(), &st) == 0;
    if (!found || !S_ISREG(st.st_mode)) {
      missing = !found && (errno == ENOENT || errno == ENOTDIR);
      {
        std::lock_guard<std::mutex> lock(keptMutex);
        kept.erase(path);
      }
      if (missing) {
        out.clear();
        return false;
      }
      return ReadWholeFile(path, out);
    }
    const FileVersion identity = FileVersion::Of(st);
    {
      std::lock_guard<std::mutex> lock(keptMutex);
      auto it = kept.find(path);
      if (it != kept.end() && it->second.identity == identity) {
        out = it->second.text;
        return true;
      }
    }
    if (!ReadWholeFile(path, out, &st)) return false;
    struct stat after;
    const bool still = stat(path.c_str(), &after) == 0 && FileVersion::Of(after) == identity;
    if (!still && attempt < kReadAttempts) continue;
    // Kept only when the file stood still while it was read, and either for
    // a while before or on a file system whose times tell every change after
    // a look (the two looks above) from this version.
    const bool whole = still && out.size() == static_cast<size_t>(st.st_size);
    const bool trusted = whole && (identity.Settled() || LooksTellEveryChange(DirectoryOf(path)));
    std::lock_guard<std::mutex> lock(keptMutex);
    if (trusted) {
      kept[path] = KeptText{identity, out};
    } else {
      kept.erase(path);
    }
    return true;
  }
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& out) {
  bool missing;
  return ReadKeptText(path, out, missing);
}

#else

bool ReadKeptText(const std::string& path, std::string& out, bool& missing) {
  std::error_code ec;
  missing = !fs::exists(path, ec);
  return !missing && ReadWholeFile(path, out);
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& out) { return ReadWholeFile(path, out); }

#endif

#if defined(__linux__) && defined(RENAME_EXCHANGE)
namespace {

// Writes all of `text` from the start of `fd` (`size` bytes long before) and
// cuts the file after it where it was longer.
bool WriteWholeAt(int fd, const std::string& text, off_t size) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return size <= static_cast<off_t>(text.size()) || ftruncate(fd, static_cast<off_t>(text.size())) == 0;
}

// A replaced file's old text is kept under a spare name rather than removed,
// and a later replacement is written into a spare and swapped in. A removed
// file gives its disk blocks back, and on a host that discards freed blocks
// that waits for the disk: a few hundred microseconds for a state file that
// has been written out. A reader that opened the file before it was swapped
// out may still be reading it when the spare is written into; a spare rests
// for several ticks of the file clock first, so that the writing always shows
// in the file's change time and the reader reads again (above). Where the
// file system gives a file that was looked at a finer time at its next change
// (see LooksTellEveryChange), every write after the reader's first look shows
// in that time anyway, and a spare needs no rest: a program run again and
// again within a few ticks then still writes into spares. Two spares
// serve a program that changes a file twice in a row (the busy indication on
// and off); with none rested a new file is made, and with no room for the
// old one it is removed, as before.
//
// A writer claims a spare by locking it (flock, which holds per open file on
// the local file systems that can swap two names at all, and so have spares)
// and then checking that the spare's name still names the file it locked:
// only the holder of that lock moves that file away from the name, so it
// stays the spare until its writer swaps it in, and two writers never write
// into the same file. The lock is held until the swap is done.
constexpr int64_t kSpareRestNs = FileVersion::kSettleNs;
constexpr const char* kSpareSuffixes[] = {".spare", ".spare2"};

struct ClaimedSpare {
  UniqueFd fd;
  std::string name;
  off_t size = 0;
};

// `fine`: the file system tells every change after a look (no rest needed).
bool ClaimRestedSpare(const std::string& path, bool fine, ClaimedSpare& claim) {
  const int64_t now = FileClockNow();
  const int64_t rest = fine ? 0 : kSpareRestNs;
  for (const char* suffix : kSpareSuffixes) {
    std::string spare = path + suffix;
    UniqueFd fd(open(spare.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.Valid() || flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
    struct stat held, named;
    if (fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode) || Nanoseconds(held.st_ctim) + rest > now ||
        lstat(spare.c_str(), &named) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino) {
      continue;  // not rested, or swapped in by its last writer since it was opened
    }
    claim.fd = std::move(fd);
    claim.name = std::move(spare);
    claim.size = held.st_size;
    return true;
  }
  return false;
}

// The old text, now under `temp`, becomes a spare where there is room.
void KeepAsSpare(const std::string& path, const std::string& temp) {
  for (const char* suffix : kSpareSuffixes) {
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, (path + suffix).c_str(), RENAME_NOREPLACE) == 0) return;
  }
  unlink(temp.c_str());
}

bool ReplaceThroughSpare(const std::string& path, const std::string& temp, const std::string& text) {
  const bool fine = LooksTellEveryChange(DirectoryOf(path));
  ClaimedSpare spare;
  if (ClaimRestedSpare(path, fine, spare)) {
    // A spare written only in part is still just a spare: the file keeps its text.
    if (!WriteWholeAt(spare.fd.Get(), text, spare.size)) return false;
    if (renameat2(AT_FDCWD, spare.name.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) != 0 &&
        rename(spare.name.c_str(), path.c_str()) != 0) {  // no file to swap with (removed since)
      return false;
    }
    if (fine) KeepWrittenText(path, spare.fd.Get(), text);
    return true;
  }
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = WriteWholeAt(fd, text, 0);
  if (close(fd) != 0 || !written) {
    unlink(temp.c_str());
    return false;
  }
  if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
    KeepAsSpare(path, temp);
    return true;
  }
  // No file to swap with yet, or a file system that cannot swap.
  if (rename(temp.c_str(), path.c_str()) == 0) return true;
  unlink(temp.c_str());
  return false;
}

}  // namespace
#endif

namespace {

// This process among all that write a machine's files: its id, unique on this
// host while it runs, and the time it started writing, for other hosts that
// share the directory.
std::string ProcessTag() {
#ifdef _WIN32
  const unsigned long id = GetCurrentProcessId();
#else
  const unsigned long id = static_cast<unsigned long>(getpid());
#endif
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  return std::to_string(id) + "-" + std::to_string(static_cast<unsigned long long>(micros) % 1000000000000ULL);
}

std::atomic<uint64_t> ownWrites{0};

}  // namespace

uint64_t OwnWrites() { return ownWrites.load(); }
void NoteOwnWrite() { ++ownWrites; }

bool WriteTextFileAtomically(const std::string& path, const std::string& text) {
  NoteOwnWrite();
  static std::atomic<unsigned> counter{0};
  static const std::string processTag = ProcessTag();
  const std::string temp = path + ".tmp" + processTag + "." + std::to_string(counter++);
#if defined(__linux__) && defined(RENAME_EXCHANGE)
  return ReplaceThroughSpare(path, temp, text);
#else
  std::error_code ec;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
#ifdef _WIN32
  // Replaced in one step. While another process has the file open without
  // letting it be deleted the system refuses for a moment, so the move is
  // tried again for a while rather than the file being removed first.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    const DWORD e = GetLastError();
    if (e != ERROR_ACCESS_DENIED && e != ERROR_SHARING_VIOLATION) break;
    Sleep(1);
  }
#endif
  fs::rename(temp, path, ec);
  if (ec) {
    // Some file systems refuse to rename over an existing file.
    fs::remove(path, ec);
    fs::rename(temp, path, ec);
  }
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
#endif
}

namespace {

enum class Made { kMade, kLinked, kExists, kFailed };

Made CreateExclusively(const std::string& path) {
#ifdef _WIN32
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // A lock file being deleted by its holder answers "access denied" for a moment.
    const DWORD e = GetLastError();
    return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS || e == ERROR_ACCESS_DENIED ? Made::kExists
                                                                                            : Made::kFailed;
  }
  CloseHandle(h);
#else
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? Made::kExists : Made::kFailed;
  close(fd);
#endif
  return Made::kMade;
}

// The lock file is kept under a second name while nobody holds it, and a
// holder takes it by linking it under the lock's name and lets go by
// removing that name again: cheaper than making a file and removing it, or
// than renaming it there and back. Its time is set first, so that a waiter
// never takes a fresh hold for a stale one. Where there is none to take (the
// first hold, or after a Windows program's release, which removes the file it
// made) one is made, and kept under the second name when let go of.
#if defined(__linux__) && defined(RENAME_NOREPLACE)
std::string FreeLockPath(const std::string& path) { return path + ".free"; }
#endif

Made TakeLock(const std::string& path) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  const std::string free = FreeLockPath(path);
  // While it is held the file bears both names; its time is then the
  // holder's, which a waiter must not renew: a holder that died would
  // otherwise never look stale. A file with another name elsewhere (a
  // machine copied with hard links) is not taken either: a lock file is made
  // afresh, which also tells whether the lock is held.
  struct stat st;
  if (stat(free.c_str(), &st) == 0 && st.st_nlink > 1) return CreateExclusively(path);
  if (utimensat(AT_FDCWD, free.c_str(), nullptr, 0) == 0) {
    if (link(free.c_str(), path.c_str()) == 0) return Made::kLinked;
    if (errno == EEXIST) return Made::kExists;
  }
#endif
  return CreateExclusively(path);
}

void GiveBackLock(const std::string& path, bool linked) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  if (linked ? unlink(path.c_str()) == 0
             : renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, FreeLockPath(path).c_str(), RENAME_NOREPLACE) == 0) {
    return;
  }
#else
  (void)linked;
#endif
  std::error_code ec;
  fs::remove(path, ec);
}

constexpr auto kStaleAfter = std::chrono::seconds(3);
constexpr auto kGiveUpAfter = std::chrono::seconds(10);

thread_local int locksHeld = 0;

}  // namespace

std::string JoinPath(const std::string& dir, const std::string& name) {
#ifdef _WIN32
  return (std::filesystem::path(dir) / name).string();
#else
  // Every port call names a few machine files; this is the same join as the
  // library's paths make, without taking both apart into their components.
  if (!name.empty() && name[0] == '/') return name;
  if (dir.empty() || dir.back() == '/') return dir + name;
  std::string joined;
  joined.reserve(dir.size() + 1 + name.size());
  joined.append(dir).append(1, '/').append(name);
  return joined;
#endif
}

StateLock::StateLock(const std::string& machineDir) : path_(JoinPath(machineDir, "state.lock")) {
  if (locksHeld > 0) {
    nested_ = true;
    ++locksHeld;
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const Made made = TakeLock(path_);
    if (made == Made::kMade || made == Made::kLinked) {
      owned_ = true;
      linked_ = made == Made::kLinked;
      ++locksHeld;
      return;
    }
    if (made == Made::kFailed || std::chrono::steady_clock::now() - start > kGiveUpAfter) return;
    std::error_code ec;
    const auto written = fs::last_write_time(path_, ec);
    if (!ec && fs::file_time_type::clock::now() - written > kStaleAfter) {
      fs::remove(path_, ec);
      continue;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

StateLock::~StateLock() {
  if (nested_) {
    --locksHeld;
    return;
  }
  if (!owned_) return;
  --locksHeld;
  GiveBackLock(path_, linked_);
}

KeyValues ParseKeyValues(const std::string& text) {
  KeyValues out;
  ForEachKeyValue(text, [&](std::string_view key, std::string_view value) { out[std::string(key)] = value; });
  return out;
}

namespace {

// The last parse of each file, by its text: the same text parses the same.
std::mutex parsedMutex;
std::map<std::string, std::pair<std::string, KeyValues>> parsed;

}  // namespace

bool ReadKeyValuesText(const std::string& path, std::string& text, bool* missingOut) {
  bool missing = false;
  const bool read = ReadKeptText(path, text, missing);
  if (missingOut != nullptr) *missingOut = !read && missing;
  if (read) return true;
  text.clear();
  return missing;
}

bool ReadKeyValues(const std::string& path, KeyValues& out, std::string* textOut, bool* missing) {
  out.clear();
  std::string text;
  const bool readable = ReadKeyValuesText(path, text, missing);
  if (textOut != nullptr) *textOut = text;
  if (!readable || text.empty()) return readable;
  std::lock_guard<std::mutex> lock(parsedMutex);
  auto& last = parsed[path];
  if (last.first != text) {
    last.second = ParseKeyValues(text);
    last.first = std::move(text);
  }
  out = last.second;
  return true;
}

std::string KeyValuesText(const KeyValues& values) {
  std::string text;
  for (const auto& [key, value] : values) text.append(key).append(1, '=').append(value).append(1, '\n');
  return text;
}

bool WriteKeyValues(const std::string& path, const KeyValues& values) {
  return WriteTextFileAtomically(path, KeyValuesText(values));
}

namespace {

// A number as std::stoull reads it (base 0), without an exception for a
// text that is no number, and only when the whole text is the number.
uint64_t ParseNumberAsC(const std::string& text, uint64_t fallback) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (end == text.c_str() || errno == ERANGE) return fallback;
  return end == text.c_str() + text.size() ? v : fallback;
}

}  // namespace

uint64_t ParseNumber(std::string_view text, uint64_t fallback) {
  if (text.empty()) return fallback;
  // The forms these files hold, plain decimal without a leading zero and
  // "0x" with hex digits, are read here directly, short enough not to
  // overflow; anything else as strtoull reads it.
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string_view digits = hex ? text.substr(2) : text;
  if ((hex && digits.size() <= 16) || (!hex && digits.size() <= 19 && (digits[0] != '0' || digits.size() == 1))) {
    uint64_t v = 0;
    bool plain = true;
    for (const char c : digits) {
      const int d = HexDigitValue(c);
      if (d < 0 || (!hex && d > 9)) {
        plain = false;
        break;
      }
      v = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    }
    if (plain) return v;
  }
  return ParseNumberAsC(std::string(text), fallback);
}

size_t ReadDottedNumbers(std::string_view text, int base, unsigned* out, size_t most) {
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  size_t read = 0;
  while (read < most) {
    unsigned value = 0;
    const auto [next, error] = std::from_chars(at, end, value, base);
    if (error != std::errc()) break;
    out[read++] = value;
    if (next == end || *next != '.') break;
    at = next + 1;
  }
  return read;
}

std::string Hex(uint64_t value, int digits) {
  std::string out = "0x";
  AppendHexNumber(out, value, digits);
  return out;
}

std::string HexBytes(const uint8_t* data, size_t n) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
  }
  return out;
}

bool ParseHexBytes(std::string_view text, std::string& out) { return DecodeHexBytes(text, out); }

}  // namespace zel::sim
