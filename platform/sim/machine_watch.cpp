#include "platform/sim/machine_watch.h"

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#endif

namespace zel::sim {

#ifndef __linux__

bool MayHaveChanged(const std::string&, const std::vector<std::string>&) { return true; }

#else

namespace {

// A changed file is rewritten, renamed into place or removed; its metadata
// alone does not make another view.
constexpr uint32_t kFileEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE;
constexpr uint32_t kDirectoryGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

struct Watched {
  int wd = -1;
  std::vector<std::string> names;
  bool changed = false;
};

std::mutex mutex;
int notices = -2;  // -2: not opened yet; -1: not to be had
std::map<std::string, Watched> watched;  // by directory


// Reads every notice that has come in and marks the directories they touch.
void Gather() {
  alignas(struct inotify_event) char buf[8192];
  for (;;) {
    const ssize_t n = read(notices, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing more
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const struct inotify_event*>(buf + at);
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
      if (e->mask & IN_Q_OVERFLOW) {
        for (auto& [dir, w] : watched) w.changed = true;
        continue;
      }
      const std::string name = e->len != 0 ? std::string(e->name) : std::string();
      // One directory named two ways is one watch.
      for (auto& [dir, w] : watched) {
        if (w.wd != e->wd) continue;
        if (e->mask & kDirectoryGone) {
          w.changed = true;
          if (e->mask & IN_IGNORED) w.wd = -1;  // the kernel dropped the watch
          continue;
        }
        for (const std::string& wanted : w.names) {
          if (wanted == name) w.changed = true;
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
  if (w.wd < 0) {
    w.wd = inotify_add_watch(notices, dir.c_str(), kFileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    w.names = names;
    w.changed = false;
    if (w.wd < 0) watched.erase(dir);
    return true;
  }
  const bool changed = w.changed || w.names != names;
  w.names = names;
  w.changed = false;
  return changed;
}

#endif

}  // namespace zel::sim
