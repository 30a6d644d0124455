#include "cli/progress_bar.h"

#include <unistd.h>

#include <algorithm>

namespace zel::cli {

std::string FormatBytes(uint64_t bytes) {
  static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string FormatDuration(double seconds) {
  if (!(seconds >= 0) || seconds > 99.0 * 3600) return "--:--";
  const auto total = static_cast<unsigned long>(seconds + 0.5);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%lu:%02lu:%02lu", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%lu:%02lu", total / 60, total % 60);
  }
  return text;
}

std::string ProgressText(const ProgressSample& s, int barWidth) {
  const int percent = std::clamp(s.percent, 0, 100);
  const int filled = percent * barWidth / 100;
  std::string text = "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "] ";
  char number[16];
  std::snprintf(number, sizeof number, "%3d%%", percent);
  text += number;
  if (s.countsFiles) text += "  " + std::to_string(s.files) + (s.files == 1 ? " file" : " files");
  text += "  " + FormatBytes(s.bytes);
  const bool timed = s.seconds >= 0.2;
  text += "  " + (timed ? FormatBytes(static_cast<uint64_t>(static_cast<double>(s.bytes) / s.seconds)) + "/s"
                        : std::string("-- B/s"));
  // The time left goes by the share done so far, which is what the percent measures.
  double left = -1;
  if (percent >= 100) {
    left = 0;
  } else if (percent > 0 && timed) {
    left = s.seconds * (100 - percent) / percent;
  }
  text += "  " + FormatDuration(left) + " left";
  return text;
}

ProgressBar::ProgressBar(std::FILE* out) : ProgressBar(out, isatty(fileno(out)) != 0) {}

ProgressBar::ProgressBar(std::FILE* out, bool live)
    : out_(out), live_(live), start_(std::chrono::steady_clock::now()) {}

double ProgressBar::Seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressBar::Update(ProgressSample sample, const std::string& label, bool force) {
  if (!live_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && shown_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  std::string line = "  " + ProgressText(sample, 24);
  if (!label.empty()) {
    constexpr size_t kLabel = 30;
    line += "  " + (label.size() > kLabel ? "..." + label.substr(label.size() - (kLabel - 3)) : label);
  }
  // \r and erase-to-end: the line is drawn again over itself.
  std::fprintf(out_, "\r%s\x1b[K", line.c_str());
  std::fflush(out_);
  shown_ = true;
}

void ProgressBar::Finish() {
  if (!live_ || !shown_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  shown_ = false;
}

void ProgressBar::Clear() {
  if (!live_ || !shown_) return;
  std::fprintf(out_, "\r\x1b[K");
  std::fflush(out_);
  shown_ = false;
}

}  // namespace zel::cli
