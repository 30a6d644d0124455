// Owners of the system's handles.
#pragma once
#include <windows.h>

namespace zel {

// A kernel object handle (file, event, ...), closed when the owner goes away.
class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  void Reset() {
    if (Valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

// An enumeration of FindFirstFileW, closed with FindClose.
class UniqueFind {
 public:
  explicit UniqueFind(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~UniqueFind() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  UniqueFind(const UniqueFind&) = delete;
  UniqueFind& operator=(const UniqueFind&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace zel
