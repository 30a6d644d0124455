#include "platform/sim/machine_watch.h"

#ifdef __linux__
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/posix/host_file.h"
#endif

namespace zel::sim {

#ifndef __linux__

FileChanges ChangesSince(const std::string&, const std::vector<std::string>&) { return {}; }

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
// 1, 0, or -1 when the directory cannot be asked (it is not there yet).
int TimesCanVouch(const std::string& dir) {
  struct statfs fs {};
  if (statfs(dir.c_str(), &fs) != 0) return -1;
  switch (static_cast<unsigned long>(fs.f_type)) {
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
// another change time on this directory's file system (newer kernels give
// such a file a finer time stamp), tried on a nameless file three times.
bool FineAfterAsking(const std::string& dir) {
  const int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool fine = true;
  for (int i = 0; fine && i < 3; ++i) {
    struct stat before {}, after {};
    fine = fstat(fd, &before) == 0 && fchmod(fd, (i % 2) != 0 ? 0600 : 0644) == 0 && fstat(fd, &after) == 0 &&
           !(FileVersion::Of(after) == FileVersion::Of(before));
  }
  close(fd);
  return fine;
}

// One file of a machine: a handle on the file itself, so that while its
// directory has not changed it is asked about without looking up its name.
struct Entry {
  int fd = -1;
  bool byName = false;  // a link: always looked up by its name
  Signature signature;  // as the last call found it
};

struct Watched {
  int canVouch = -1;  // -1: not asked yet (the directory was not there)
  bool fine = false;  // see FineAfterAsking
  int dirFd = -1;
  Signature dir;  // the directory itself: names made, removed or renamed change it
  std::vector<std::string> names;
  std::vector<Entry> entries;  // one per name

  void Forget() {
    for (Entry& e : entries) {
      if (e.fd >= 0) close(e.fd);
    }
    entries.clear();
    names.clear();
  }
  void Close() {
    Forget();
    if (dirFd >= 0) close(dirFd);
    dirFd = -1;
  }
};

std::mutex mutex;
std::map<std::string, Watched> watched;  // by directory
constexpr size_t kMostWatched = 16;

void Sign(const struct stat& st, int64_t now, bool fine, Signature& s) {
  s.version = FileVersion::Of(st);
  s.vouched = fine || s.version.Settled(now);
}

bool Same(const Signature& a, const Signature& b) { return a.version == b.version; }

// Looks `name` up afresh and keeps a handle on the file it now names.
bool LookUp(const Watched& w, const std::string& name, int64_t now, Entry& e) {
  struct stat st {};
  if (fstatat(w.dirFd, name.c_str(), &st, 0) != 0) return false;
  if (e.fd >= 0 && !e.byName && e.signature.version.device == st.st_dev && e.signature.version.inode == st.st_ino) {
    Sign(st, now, w.fine, e.signature);
    return true;
  }
  if (e.fd >= 0) close(e.fd);
  e.fd = openat(w.dirFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  struct stat held {};
  // A link, or a file replaced between the two looks: by name from now on,
  // or until the next look finds it standing.
  e.byName = e.fd < 0 || fstat(e.fd, &held) != 0 || held.st_dev != st.st_dev || held.st_ino != st.st_ino;
  Sign(st, now, w.fine, e.signature);
  return true;
}

}  // namespace

FileChanges ChangesSince(const std::string& dir, const std::vector<std::string>& names) {
  std::lock_guard<std::mutex> lock(mutex);
  if (watched.size() >= kMostWatched && watched.count(dir) == 0) {
    for (auto& [d, w] : watched) w.Close();
    watched.clear();
  }
  Watched& w = watched[dir];
  if (w.canVouch < 0) {
    w.canVouch = TimesCanVouch(dir);
    w.fine = w.canVouch == 1 && FineAfterAsking(dir);
  }
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
  if (w.dirFd < 0 || w.dir.version.device != dirNow.version.device || w.dir.version.inode != dirNow.version.inode) {
    // Another directory under this name (or the first call).
    w.Close();
    w.dirFd = open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat held {};
    if (w.dirFd < 0 || fstat(w.dirFd, &held) != 0 || held.st_dev != dirNow.version.device ||
        held.st_ino != dirNow.version.inode) {
      w.Close();
      return {};
    }
  }
  // No name made, removed or renamed in the directory since the last call:
  // every name still names the file held for it.
  const bool namesStand = w.dir.vouched && Same(w.dir, dirNow) && w.names == names;
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
    const bool held = namesStand && !e.byName && e.fd >= 0;
    if (held ? fstat(e.fd, &st) != 0 : !LookUp(w, names[i], now, e)) {
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
