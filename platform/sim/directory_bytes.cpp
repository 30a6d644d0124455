// The bytes a simulated volume holds: the sizes of the regular files below its
// host directory (links to files count, linked directories are not entered).
// On POSIX hosts the walk reads the directories' raw entries and looks each
// name up below its open directory, on as many threads as there are
// processors (at most four).
//
// A free-space answer keeps the count in a small file of the machine, with a
// stamp of the tree's directories (each one's identity and modification
// time) and their names. A later answer looks only at those directories
// themselves, without reading them: a directory added, removed or renamed
// anywhere moves its parent's time, so while the stamp holds, no file was
// added, removed or renamed and the count stands. Every writer of
// the system replaces files by renaming, which moves the stamp; a file
// rewritten in place is seen at the next change of names. A stamp whose
// newest directory changed too recently to be told apart from a change in
// the same clock tick is not kept.
#include "platform/sim/view.h"

#include "platform/sim/state_file.h"

#ifdef _WIN32
#include <filesystem>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "common/hex_text.h"
#include "common/work_queue.h"
#include "platform/posix/host_file.h"
#endif

namespace zel::sim {

#ifdef _WIN32

uint64_t DirectoryBytes(const std::string& dir) {
  namespace fs = std::filesystem;
  uint64_t total = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fileError;
    if (it->is_regular_file(fileError)) {
      const uintmax_t size = it->file_size(fileError);
      if (!fileError) total += size;
    }
  }
  return total;
}

uint64_t UsedBytes(const std::string& dir, const std::string&) { return DirectoryBytes(dir); }

#else

namespace {

constexpr unsigned kMostThreads = 4;

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

// What a walk learns of a tree. The stamp does not depend on the order in
// which the threads read the directories.
struct Tally {
  std::mutex mutex;
  uint64_t bytes = 0;
  uint64_t stamp = 0;
  uint64_t dirs = 0;
  int64_t newest = 0;   // the latest directory modification time, ns
  bool coarse = true;   // every directory time a whole second
  std::vector<std::string> names;  // the directories' paths below the top ("" for the top)

  // Adds one directory as its own status shows it.
  void Stamp(const struct stat& self) {
    const int64_t modified = Nanoseconds(self.st_mtim);
    stamp += Mix(Mix(static_cast<uint64_t>(self.st_ino) ^ Mix(static_cast<uint64_t>(self.st_dev))) ^
                 static_cast<uint64_t>(modified) ^ (static_cast<uint64_t>(Nanoseconds(self.st_ctim)) << 1));
    // A change of entries always moves the modification time to the
    // present; a time set back afterwards has moved the change time.
    newest = std::max(newest, modified);
    if (self.st_mtim.tv_nsec != 0 || self.st_ctim.tv_nsec != 0) coarse = false;
  }
};

// One directory: its stamp, and unless `stampOnly` the bytes of its files;
// its subdirectories go to `walk`.
void ReadDirectory(const std::string& top, const std::string& path, bool stampOnly, WorkQueue<std::string>& walk,
                   Tally& tally) {
  UniqueFd dir(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.Valid()) return;
  struct stat self;
  const bool stamped = fstat(dir.Get(), &self) == 0;
  alignas(struct dirent64) char buf[32768];
  uint64_t total = 0;
  ssize_t n;
  while ((n = getdents64(dir.Get(), buf, sizeof buf)) > 0) {
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const struct dirent64*>(buf + at);
      at += e->d_reclen;
      if (IsDots(e->d_name)) continue;
      struct stat st;
      if (e->d_type == DT_DIR) {
        walk.Push(path + "/" + e->d_name);
        continue;
      }
      // An entry of unknown type is looked at itself first: a linked
      // directory is not entered, as the entry's own type keeps it out.
      if (e->d_type == DT_UNKNOWN && fstatat(dir.Get(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISDIR(st.st_mode)) {
        walk.Push(path + "/" + e->d_name);
        continue;
      }
      if (stampOnly) continue;
      if (fstatat(dir.Get(), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) total += static_cast<uint64_t>(st.st_size);
    }
  }
  std::lock_guard<std::mutex> lock(tally.mutex);
  tally.bytes += total;
  tally.dirs += 1;
  tally.names.push_back(path.size() > top.size() ? path.substr(top.size() + 1) : std::string());
  if (stamped) tally.Stamp(self);
}

void Walk(const std::string& dir, bool stampOnly, Tally& tally) {
  WorkQueue<std::string> walk;
  walk.Push(dir);
  walk.Run(WorkQueue<std::string>::Threads(kMostThreads),
           [&](const std::string& path) { ReadDirectory(dir, path, stampOnly, walk, tally); });
}

// The directory names in the kept file: one value, each name ended by '|',
// with '%', '|' and line ends written as %XX.
std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) {
    for (char c : name) {
      if (c == '%' || c == '|' || c == '\n' || c == '\r') {
        static const char* hex = "0123456789ABCDEF";
        out += '%';
        out += hex[static_cast<unsigned char>(c) >> 4];
        out += hex[static_cast<unsigned char>(c) & 15];
      } else {
        out += c;
      }
    }
    out += '|';
  }
  return out;
}

// Each name of a kept list, decoded into `name` in turn; false for a list
// that is not one (a '%' without two hex digits, a last name without its end).
template <class Visit>
bool ForEachListedName(std::string_view text, Visit visit) {
  std::string name;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '|') {
      if (!visit(name)) return false;
      name.clear();
    } else if (c == '%') {
      if (i + 2 >= text.size()) return false;
      const int high = HexDigitValue(text[i + 1]), low = HexDigitValue(text[i + 2]);
      if (high < 0 || low < 0) return false;
      name += static_cast<char>(high << 4 | low);
      i += 2;
    } else {
      name += c;
    }
  }
  return name.empty();
}

// The stamp of the directories a walk listed (`names`, as the kept file holds
// them), from their own status only; false when one of them is no longer a
// directory or the list is broken.
bool StampListed(const std::string& dir, std::string_view names, Tally& tally) {
  // Each name is looked up below the top directory held open, not along the
  // whole path from the root.
  const UniqueFd top(open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!top.Valid()) return false;
  return ForEachListedName(names, [&](const std::string& name) {
    struct stat self;
    // Below the top a linked directory is never entered, so never listed.
    const int got = name.empty() ? fstat(top.Get(), &self) : fstatat(top.Get(), name.c_str(), &self, AT_SYMLINK_NOFOLLOW);
    if (got != 0 || !S_ISDIR(self.st_mode)) return false;
    tally.dirs += 1;
    tally.Stamp(self);
    return true;
  });
}

// Whether the newest directory change is far enough in the past that a
// change after it moves its time.
bool Settled(const Tally& tally) {
  const int64_t now = FileClockNow();
  const int64_t tick = tally.coarse ? 2000000000LL : 100000000LL;
  return tally.newest + tick < now;
}

}  // namespace

uint64_t DirectoryBytes(const std::string& dir) {
  Tally tally;
  Walk(dir, false, tally);
  return tally.bytes;
}

uint64_t UsedBytes(const std::string& dir, const std::string& keepFile) {
  if (keepFile.empty()) return DirectoryBytes(dir);
  std::string text;
  if (ReadKeyValuesText(keepFile, text) && !text.empty()) {
    std::string_view keptDir, stamp, dirs, names, bytes;
    bool haveStamp = false, haveBytes = false;
    ForEachKeyValue(text, [&](std::string_view key, std::string_view value) {
      if (key == "dir") keptDir = value;
      else if (key == "stamp") stamp = value, haveStamp = true;
      else if (key == "dirs") dirs = value;
      else if (key == "names") names = value;
      else if (key == "bytes") bytes = value, haveBytes = true;
    });
    Tally look;
    if (haveStamp && haveBytes && keptDir == dir && StampListed(dir, names, look) && look.dirs != 0 &&
        std::to_string(look.dirs) == dirs && Hex(look.stamp, 16) == stamp) {
      return ParseNumber(bytes, 0);
    }
  }
  Tally tally;
  Walk(dir, false, tally);
  if (tally.dirs != 0 && Settled(tally)) {
    WriteKeyValues(keepFile, {{"dir", dir}, {"stamp", Hex(tally.stamp, 16)}, {"dirs", std::to_string(tally.dirs)},
                              {"bytes", std::to_string(tally.bytes)}, {"names", JoinNames(tally.names)}});
  }
  return tally.bytes;
}

#endif

std::string UsedBytesFile(const std::string& machineDir, char letter) {
  return machineDir + "/used-" + std::string(1, letter) + ".txt";
}

uint64_t FreeBytes(uint64_t capacity, const std::string& dir, const std::string& keepFile) {
  const uint64_t used = UsedBytes(dir, keepFile);
  return used < capacity ? capacity - used : 0;
}

}  // namespace zel::sim
