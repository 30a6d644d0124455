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

bool MayHaveChanged(const std::string&, const std::vector<std::string>&) { return true; }

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
  bool changed = true;
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

// Reads every notice that has come in and marks the directories whose files
// they concern. A file reached by two names (one directory named two ways)
// has one watch, and both are marked.
void Gather() {
  alignas(struct inotify_event) char buf[4096];
  for (;;) {
    const ssize_t n = read(notices, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing more
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const struct inotify_event*>(buf + at);
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
      for (auto& [dir, w] : watched) {
        for (int& wd : w.wds) {
          if ((e->mask & IN_Q_OVERFLOW) != 0 || wd == e->wd) w.changed = true;
          if ((e->mask & IN_IGNORED) != 0 && wd == e->wd) wd = -1;  // the kernel dropped the watch
        }
      }
    }
  }
}

}  // namespace

bool MayHaveChanged(const std::string& dir, const std::vector<std::string>& names) {
  std::lock_guard<std::mutex> lock(mutex);
  if (notices == -2) notices = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (notices < 0) return true;
  Gather();
  Watched& w = watched[dir];
  bool changed = w.changed || w.names != names;
  for (int wd : w.wds) changed = changed || wd < 0;
  if (!changed) return false;
  // Watched afresh before the caller reads the files again, so a change
  // made after this is told at the next call. A file still in its place
  // keeps its watch (asking again gives the same one); only the watches of
  // files replaced or gone are dropped. Dropping a watch took about 20 µs
  // here, and a format writes the image a few dozen times.
  std::vector<int> wds;
  for (const std::string& name : names) {
    wds.push_back(inotify_add_watch(notices, (dir + "/" + name).c_str(), kFileEvents));
  }
  const std::vector<int> old = std::move(w.wds);
  w.names = names;
  w.wds = wds;
  for (int wd : old) {
    if (wd >= 0 && std::find(wds.begin(), wds.end(), wd) == wds.end() && !WatchedElsewhere(wd, &w)) {
      inotify_rm_watch(notices, wd);
    }
  }
  w.changed = false;
  return true;
}

#endif

}  // namespace zel::sim
