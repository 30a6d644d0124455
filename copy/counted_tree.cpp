#include "copy/counted_tree.h"

namespace zel {

void CountedTree::Start(const std::wstring& root, const std::wstring& keepOut, uint16_t flags) {
  std::lock_guard<std::mutex> lock(mutex_);
  dirs_.clear();
  root_ = root;
  keepOut_ = keepOut;
  flags_ = flags;
  valid_ = true;
}

void CountedTree::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  dirs_.clear();
  valid_ = false;
}

void CountedTree::Add(const std::wstring& dir, std::vector<CountedEntry> entries) {
  std::lock_guard<std::mutex> lock(mutex_);
  dirs_[dir] = std::move(entries);
}

bool CountedTree::Covers(const std::wstring& root, const std::wstring& keepOut, uint16_t flags) const {
  return valid_ && root == root_ && keepOut == keepOut_ && flags == flags_;
}

bool CountedTree::Take(const std::wstring& dir, std::vector<CountedEntry>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = dirs_.find(dir);
  if (it == dirs_.end()) return false;
  out = std::move(it->second);
  dirs_.erase(it);
  return true;
}

}  // namespace zel
