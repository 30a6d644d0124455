// The progress bar of the long sub-commands (corvex run, tessary partition):
// redrawn in place on standard error when that is a terminal, with the files
// and bytes done, the rate and the time left; nothing there otherwise (the
// sub-commands print plain lines of their own for logs and pipes).
#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zel::cli {

struct ProgressSample {
  int percent = 0;         // 0..100
  uint64_t files = 0;      // files done; not shown when the work has no files
  bool countsFiles = false;
  uint64_t bytes = 0;      // bytes done
  double seconds = 0;      // since the work started
};

std::string FormatBytes(uint64_t bytes);         // "512 B", "12.3 MB", "2.0 GB"
std::string FormatDuration(double seconds);      // "0:07", "12:34", "1:02:03"
// "[#####.......]  42%  12 files  34.5 MB  5.2 MB/s  0:13 left"; the time
// left is "--:--" until there is a rate to go by.
std::string ProgressText(const ProgressSample& sample, int barWidth);

class ProgressBar {
 public:
  // Live when `out` is a terminal; `live` forces the choice (tests).
  explicit ProgressBar(std::FILE* out);
  ProgressBar(std::FILE* out, bool live);

  bool Live() const { return live_; }
  // Redraws at most every 100 ms unless `force`; `label` (the file being
  // copied) is cut from the left to fit.
  void Update(ProgressSample sample, const std::string& label, bool force);
  // Clears the bar's line so other output starts clean; the next Update draws it again.
  void Clear();
  // Leaves the bar as last drawn on a line of its own.
  void Finish();
  double Seconds() const;

 private:
  std::FILE* out_;
  bool live_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace zel::cli
