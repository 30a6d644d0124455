// Progress of a long security-tool operation, 0..100. The partition dialog's
// progress bar and the terminal both implement the sink.
#pragma once
#include <cstdint>

namespace zel {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void ShowProgress(uint8_t percent) = 0;
};

// The current value, told to the sink on every change.
class Progress {
 public:
  explicit Progress(ProgressSink* sink) : sink_(sink) {}
  void Set(uint8_t percent) {
    value_ = percent;
    if (sink_) sink_->ShowProgress(value_);
  }
  void Add(uint8_t step) { Set(static_cast<uint8_t>(value_ + step)); }
  uint8_t Value() const { return value_; }

 private:
  ProgressSink* sink_;
  uint8_t value_ = 0;
};

}  // namespace zel
