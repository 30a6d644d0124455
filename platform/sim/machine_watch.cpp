#include "platform/sim/machine_watch.h"

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#endif

namespace zel::sim {

#ifndef __linux__

FileChanges ChangesSince(const std::string&, const std::vector<std::string>&) { return {}; }

#else

namespace {

// Each file is watched itself, not its directory: a directory's first watch
// costs the kernel a walk over every name the directory ever had in its
// cache, and the temporary names of the state files pile up there. A file
// written in place, renamed over, removed or moved away tells its watch.
constexpr uint32_t kFileEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;

struct Watched {
  std::vector<std::string> names;
  std::vector<int> wds;  // one per name; -1 for a file that was not there
  // Per name: written in place, and replaced, removed or no longer watched.
  std::vector<bool> touched, gone;
  bool unknown = true;  // the first call, or notices were lost
};

std::mutex mutex;
int notices = -2;  // -2: not opened yet; -1: not to be had
std::map<std::string, Watched> watched;  // by directory

bool WatchedElsewhere(int wd, const Watched* besides) {
  for (const auto& [dir, w] : watched) {
    if (&w == besides) continue;
    for (int other : w.wds) {
      if (other == wd) return true;
    }
  }
  return false;
}

// Reads every notice that has come in and marks the files they concern. A
// file reached by two names (one directory named two ways) has one watch,
// and both are marked.
void Gather() {
  alignas(struct inotify_event) char buf[4096];
  for (;;) {
    const ssize_t n = read(notices, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing more
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const struct inotify_event*>(buf + at);
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
      const bool lost = (e->mask & IN_Q_OVERFLOW) != 0;
      const bool gone = (e->mask & (IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED)) != 0;
      for (auto& [dir, w] : watched) {
        if (lost) w.unknown = true;
        for (size_t i = 0; i < w.wds.size(); ++i) {
          if (w.wds[i] != e->wd) continue;
          w.touched[i] = true;
          if (gone) w.gone[i] = true;
          if ((e->mask & IN_IGNORED) != 0) w.wds[i] = -1;  // the kernel dropped the watch
        }
      }
    }
  }
}

}  // namespace

FileChanges ChangesSince(const std::string& dir, const std::vector<std::string>& names) {
  std::lock_guard<std::mutex> lock(mutex);
  if (notices == -2) notices = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (notices < 0) return {};
  Gather();
  Watched& w = watched[dir];
  FileChanges changes;
  changes.unknown = w.unknown || w.names != names;
  for (size_t i = 0; !changes.unknown && i < w.wds.size(); ++i) {
    if (w.wds[i] < 0) changes.unknown = true;
    else if (w.touched[i]) changes.touched.push_back(names[i]);
  }
  if (!changes.unknown && changes.touched.empty()) return changes;
  // Watched afresh before the caller reads the files again, so a change
  // made after this is told at the next call. A file written in place
  // keeps its watch; a file replaced or gone is watched again under its
  // name, and its old watch is dropped unless asking again gave the same
  // one. Dropping a watch took about 20 µs here, and a format writes the
  // image a few dozen times.
  const std::vector<int> old = w.wds;
  const bool all = changes.unknown;
  if (all) {
    w.names = names;
    w.wds.assign(names.size(), -1);
    w.gone.assign(names.size(), true);
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (w.gone[i]) w.wds[i] = inotify_add_watch(notices, (dir + "/" + names[i]).c_str(), kFileEvents);
  }
  for (int wd : old) {
    if (wd >= 0 && std::find(w.wds.begin(), w.wds.end(), wd) == w.wds.end() && !WatchedElsewhere(wd, &w)) {
      inotify_rm_watch(notices, wd);
    }
  }
  w.touched.assign(names.size(), false);
  w.gone.assign(names.size(), false);
  w.unknown = false;
  return changes;
}

#endif

}  // namespace zel::sim
