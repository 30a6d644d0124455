// What every timed command of the benches starts from: its files written
// out, and a processor that has idled for the same moment before each side.
// A process started straight after another one's work meets warm caches and
// a running processor; one started after an idle spell (a peer that ended by
// waiting, as rsync does) meets neither. Without a rest of its own before
// each run, whichever tool happens to follow the idle one most often in the
// rotation would carry that cost alone.
#pragma once
#include <unistd.h>

#include <chrono>
#include <thread>

inline void RestBeforeRun() {
  sync();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}
