// Running one program the way the benches time it: directly, as a process of
// its own with no shell in between. A shell's own start-up, a millisecond
// and a half on this kind of machine, is no tool's work, and made the ratios
// of the short runs read closer to 1 than the tools are.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace bench {

// Runs `argv` (its first word looked up in PATH) with `cwd`, when given, as
// its working directory and nothing to read. Its standard output and error
// go to `output` through a pipe when that is given, as a terminal would take
// them, and are thrown away otherwise. True when it exited with status 0;
// `usage` receives what it used.
inline bool RunProgram(const std::vector<std::string>& argv, const std::string& cwd, std::string* output,
                       struct rusage& usage) {
  usage = {};
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int pipeFds[2] = {-1, -1};
  if (output != nullptr && pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) {
    close(pipeFds[1]);
    output->clear();
    char buf[4096];
    for (;;) {
      const ssize_t n = read(pipeFds[0], buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      output->append(buf, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
  }
  if (spawned != 0) return false;
  int status = 0;
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// User and system seconds together.
inline double CpuSeconds(const struct rusage& u) {
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The words of a command, for a message.
inline std::string CommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& a : argv) line += (line.empty() ? "" : " ") + a;
  return line;
}

}  // namespace bench
