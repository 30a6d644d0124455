// What the counting pass of a task saw, kept for the copy pass that follows it
// so that the source tree is read once per pass rather than twice: every
// directory's entries in the order the file system gave them.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace zel {

struct CountedEntry {
  std::wstring name;
  uint64_t size = 0;
  uint64_t lastWriteTime = 0;
  bool directory = false;
};

class CountedTree {
 public:
  // Forgets what an earlier pass saw and starts a walk of `root`.
  void Start(const std::wstring& root, const std::wstring& keepOut, uint16_t flags);
  void Clear();
  // One directory's entries (".", ".." and partial files left out); safe to
  // call from the counting threads at once.
  void Add(const std::wstring& dir, std::vector<CountedEntry> entries);
  // Whether the walk kept is the one of these copy arguments.
  bool Covers(const std::wstring& root, const std::wstring& keepOut, uint16_t flags) const;
  // Hands out a directory's entries once; false when the walk did not read it.
  bool Take(const std::wstring& dir, std::vector<CountedEntry>& out);

 private:
  std::mutex mutex_;
  bool valid_ = false;
  std::wstring root_, keepOut_;
  uint16_t flags_ = 0;
  std::unordered_map<std::wstring, std::vector<CountedEntry>> dirs_;
};

}  // namespace zel
