// The bytes a simulated volume holds: the sizes of the regular files below its
// host directory (links to files count, linked directories are not entered).
// Every free-space query of a volume counts them afresh. On POSIX hosts the
// walk reads the directories' raw entries and looks each name up below its
// open directory, on as many threads as there are processors (at most four).
#include "platform/sim/view.h"

#ifdef _WIN32
#include <filesystem>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

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

#else

namespace {

constexpr unsigned kMostThreads = 4;

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// The bytes of the files in one directory; its subdirectories go to `walk`.
uint64_t ReadDirectory(const std::string& path, WorkQueue<std::string>& walk) {
  UniqueFd dir(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.Valid()) return 0;
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
      if (fstatat(dir.Get(), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) total += static_cast<uint64_t>(st.st_size);
    }
  }
  return total;
}

}  // namespace

uint64_t DirectoryBytes(const std::string& dir) {
  std::atomic<uint64_t> total{0};
  WorkQueue<std::string> walk;
  walk.Push(dir);
  walk.Run(WorkQueue<std::string>::Threads(kMostThreads),
           [&](const std::string& path) { total += ReadDirectory(path, walk); });
  return total;
}

#endif

uint64_t FreeBytes(uint64_t capacity, const std::string& dir) {
  const uint64_t used = DirectoryBytes(dir);
  return used < capacity ? capacity - used : 0;
}

}  // namespace zel::sim
