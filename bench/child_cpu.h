// CPU seconds (user + system) of the children this process has waited for:
// read before and after a command, the difference is what the command took.
#pragma once
#include <sys/resource.h>

inline double ChildCpuSeconds() {
  struct rusage u {};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
