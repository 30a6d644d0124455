#include "platform/sim/machine_watch.h"

#ifdef __linux__
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/vfs.h>
#include <time.h>

#include <cstdint>
#include <map>
#include <mutex>
#endif

namespace zel::sim {

#ifndef __linux__

FileChanges ChangesSince(const std::string&, const std::vector<std::string>&) { return {}; }

#else

namespace {

// A file's identity and change time as the host gave them. Any write,
// rename or change of attributes sets the change time to the present; no
// program can set it back.
struct Signature {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  int64_t changed = 0;  // ns
  // Any later change shows as another change time: the file system gives a
  // file asked about a finer time at its next change, or the file's time was
  // older than the time stamps' coarseness when it was taken. Otherwise a
  // file changed just before may be changed again within the same tick and
  // keep its time; it is reported as touched until it has rested.
  bool vouched = false;
};

// Time stamps come from a clock that advances once per scheduler tick (10 ms
// at the slowest usual setting); twice that covers the tick and its lag.
constexpr int64_t kRestNs = 20'000'000;

int64_t Nanoseconds(const timespec& t) { return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

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
           Nanoseconds(after.st_ctim) != Nanoseconds(before.st_ctim);
  }
  close(fd);
  return fine;
}

struct Watched {
  int canVouch = -1;  // -1: not asked yet (the directory was not there)
  bool fine = false;  // see FineAfterAsking
  std::vector<std::string> names;
  std::vector<Signature> signatures;  // one per name, as the last call found them
};

std::mutex mutex;
std::map<std::string, Watched> watched;  // by directory

bool Take(const std::string& path, int64_t now, bool fine, Signature& s) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.changed = Nanoseconds(st.st_ctim);
  s.vouched = fine || s.changed + kRestNs <= now;
  return true;
}

bool Same(const Signature& a, const Signature& b) {
  return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.changed == b.changed;
}

}  // namespace

FileChanges ChangesSince(const std::string& dir, const std::vector<std::string>& names) {
  std::lock_guard<std::mutex> lock(mutex);
  Watched& w = watched[dir];
  if (w.canVouch < 0) {
    w.canVouch = TimesCanVouch(dir);
    w.fine = w.canVouch == 1 && FineAfterAsking(dir);
  }
  if (w.canVouch != 1) return {};
  // Taken before the caller reads the files: a change made after this shows
  // at the next call.
  timespec clock{};
  clock_gettime(CLOCK_REALTIME, &clock);
  const int64_t now = Nanoseconds(clock);
  std::vector<Signature> taken(names.size());
  bool allThere = true;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!Take(dir + "/" + names[i], now, w.fine, taken[i])) allThere = false;
  }
  FileChanges changes;
  changes.unknown = !allThere || w.names != names;
  for (size_t i = 0; !changes.unknown && i < names.size(); ++i) {
    if (!w.signatures[i].vouched || !Same(w.signatures[i], taken[i])) changes.touched.push_back(names[i]);
  }
  if (allThere) {
    w.names = names;
    w.signatures = std::move(taken);
  } else {
    w.names.clear();
    w.signatures.clear();
  }
  return changes;
}

#endif

}  // namespace zel::sim
