#include "platform/sim/machine_watch.h"

#ifdef __linux__
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/vfs.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/posix/host_file.h"
#endif

namespace zel::sim {

bool KernelGivesFineTimesAfterAsking(const std::string& release) {
  unsigned major = 0, minor = 0;
  size_t at = 0;
  auto number = [&](unsigned& out) {
    const size_t from = at;
    while (at < release.size() && at - from < 6 && release[at] >= '0' && release[at] <= '9') {
      out = out * 10 + static_cast<unsigned>(release[at++] - '0');
    }
    return at > from;
  };
  if (!number(major) || at >= release.size() || release[at++] != '.' || !number(minor)) return false;
  return major > 6 || (major == 6 && minor >= 13);
}

#ifndef __linux__

FileChanges ChangesSince(const std::string&, const std::vector<std::string>&) { return {}; }
uint64_t NamesEpoch(const std::string&) { return 0; }
bool LooksTellEveryChange(const std::string&) { return false; }

#else

namespace {

// A file's version as one look saw it (its identity, size and times). Any
// write, rename or change of attributes sets the change time to the
// present; no program can set it back.
struct Signature {
  FileVersion version;
  // Any later change shows as another version: the file system gives a file
  // asked about a finer time at its next change, or the version had settled
  // when it was taken. Otherwise a file changed just before may be changed
  // again within the same tick and keep its times; it is reported as touched
  // until it has settled.
  bool vouched = false;
};

// File systems whose change times are kept by this kernel to the tick.
// Elsewhere (network and foreign file systems) a view is checked in full.
// 1, 0, or -1 when the directory cannot be asked (it is not there yet);
// `type` is the file system's magic number.
int TimesCanVouch(const std::string& dir, unsigned long& type) {
  struct statfs fs {};
  if (statfs(dir.c_str(), &fs) != 0) return -1;
  type = static_cast<unsigned long>(fs.f_type);
  switch (type) {
    case EXT4_SUPER_MAGIC:  // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
      return 1;
    default:
      return 0;
  }
}

// Whether a change right after a file was asked about always shows as
// another change time on this directory's file system, tried on a nameless
// file three times. Making and dropping that file is most of what a short
// command spends on its first look at a machine, so where this kernel is
// known to keep such times (see KernelGivesFineTimesAfterAsking) it is not
// tried.
bool FineAfterAsking(const std::string& dir, unsigned long type) {
  switch (type) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC: {
      struct utsname host {};
      if (uname(&host) == 0 && KernelGivesFineTimesAfterAsking(host.release)) return true;
      break;
    }
    default:
      break;
  }
  const UniqueFd fd(open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!fd.Valid()) return false;
  bool fine = true;
  for (int i = 0; fine && i < 3; ++i) {
    struct stat before {}, after {};
    fine = fstat(fd.Get(), &before) == 0 && fchmod(fd.Get(), (i % 2) != 0 ? 0600 : 0644) == 0 &&
           fstat(fd.Get(), &after) == 0 && !(FileVersion::Of(after) == FileVersion::Of(before));
  }
  return fine;
}

// One file of a machine: a handle on the file itself, so that while its
// directory has not changed it is asked about without looking up its name.
struct Entry {
  UniqueFd fd;
  bool byName = false;  // looked up by its name: a link, or a file not yet seen standing
  Signature signature;  // as the last call found it
};

struct Watched {
  int canVouch = -1;  // -1: not asked yet (the directory was not there)
  bool fine = false;  // see FineAfterAsking
  UniqueFd dirFd;
  Signature dir;  // the directory itself: names made, removed or renamed change it
  // A new number from every call that could not vouch that the directory's
  // names stood since the call before; 0 while the last call could not
  // vouch for them.
  uint64_t epoch = 0;
  std::vector<std::string> names;
  std::vector<Entry> entries;  // one per name

  void Forget() {
    entries.clear();
    names.clear();
  }
  void Close() {
    Forget();
    dirFd.Reset();
    epoch = 0;
  }
};

std::mutex mutex;
std::map<std::string, Watched> watched;  // by directory
uint64_t epochsGiven = 0;  // never the same number twice in a process, for any directory
constexpr size_t kMostWatched = 16;

void Sign(const struct stat& st, int64_t now, bool fine, Signature& s) {
  s.version = FileVersion::Of(st);
  s.vouched = fine || s.version.Settled(now);
}

bool Same(const Signature& a, const Signature& b) { return a.version == b.version; }

// Whether a look at a name and a look at a held file saw the same file.
bool SameFile(const FileVersion& v, const struct stat& st) { return v.device == st.st_dev && v.inode == st.st_ino; }

// Looks `name` up afresh and keeps a handle on the file it names, once it
// has named the same file at two looks in a row. A file that is replaced
// (a state file, at every change) is looked up by its name until it stands:
// a handle opened on each new file would be used by no later look, since
// the replacement changes the directory too.
bool LookUp(const Watched& w, const std::string& name, int64_t now, Entry& e) {
  struct stat st {};
  if (fstatat(w.dirFd.Get(), name.c_str(), &st, 0) != 0) return false;
  const bool standing = e.signature.version.inode != 0 && SameFile(e.signature.version, st);
  if (standing && e.fd.Valid() && !e.byName) {
    Sign(st, now, w.fine, e.signature);
    return true;
  }
  if (!standing) {
    e.fd.Reset();
    e.byName = true;
    Sign(st, now, w.fine, e.signature);
    return true;
  }
  e.fd.Reset(openat(w.dirFd.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  Sign(st, now, w.fine, e.signature);
  struct stat held {};
  // A link, or a file replaced between the two looks: by name from now on,
  // or until the next look finds it standing.
  e.byName = !e.fd.Valid() || fstat(e.fd.Get(), &held) != 0 || !SameFile(e.signature.version, held);
  return true;
}

// The entry of `dir`, its file system asked about once it is there. The
// mutex is held.
Watched& WatchedDir(const std::string& dir) {
  if (watched.size() >= kMostWatched && watched.count(dir) == 0) {
    watched.clear();
  }
  Watched& w = watched[dir];
  if (w.canVouch < 0) {
    unsigned long type = 0;
    w.canVouch = TimesCanVouch(dir, type);
    w.fine = w.canVouch == 1 && FineAfterAsking(dir, type);
  }
  return w;
}

}  // namespace

uint64_t NamesEpoch(const std::string& dir) {
  std::lock_guard<std::mutex> lock(mutex);
  auto it = watched.find(dir);
  return it == watched.end() || it->second.canVouch != 1 ? 0 : it->second.epoch;
}

bool LooksTellEveryChange(const std::string& dir) {
  std::lock_guard<std::mutex> lock(mutex);
  const Watched& w = WatchedDir(dir);
  return w.canVouch == 1 && w.fine;
}

FileChanges ChangesSince(const std::string& dir, const std::vector<std::string>& names) {
  std::lock_guard<std::mutex> lock(mutex);
  Watched& w = WatchedDir(dir);
  if (w.canVouch != 1) return {};
  // Taken before the caller reads the files, the directory first: a change
  // made after this shows at the next call.
  const int64_t now = FileClockNow();
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) {
    w.Close();
    return {};
  }
  Signature dirNow;
  Sign(st, now, w.fine, dirNow);
  if (!w.dirFd.Valid() || !SameFile(w.dir.version, st)) {
    // Another directory under this name (or the first call).
    w.Close();
    w.dirFd.Reset(open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat held {};
    if (!w.dirFd.Valid() || fstat(w.dirFd.Get(), &held) != 0 || !SameFile(dirNow.version, held)) {
      w.Close();
      return {};
    }
  }
  // No name made, removed or renamed in the directory since the last call:
  // every name still names the file held for it.
  const bool dirStands = w.epoch != 0 && w.dir.vouched && Same(w.dir, dirNow);
  const bool namesStand = dirStands && w.names == names;
  if (!dirStands) w.epoch = dirNow.vouched ? ++epochsGiven : 0;
  w.dir = dirNow;
  FileChanges changes;
  changes.unknown = w.names != names;
  if (changes.unknown) {
    w.Forget();
    w.names = names;
    w.entries.resize(names.size());
  }
  for (size_t i = 0; i < names.size(); ++i) {
    Entry& e = w.entries[i];
    const Signature before = e.signature;
    const bool held = namesStand && !e.byName && e.fd.Valid();
    if (held ? fstat(e.fd.Get(), &st) != 0 : !LookUp(w, names[i], now, e)) {
      // A file that is not there: nothing is vouched for, now or next time.
      w.Forget();
      return {};
    }
    if (held) Sign(st, now, w.fine, e.signature);
    if (!changes.unknown && (!before.vouched || !Same(before, e.signature))) changes.touched.push_back(names[i]);
  }
  return changes;
}

#endif

}  // namespace zel::sim
