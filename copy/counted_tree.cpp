#include "copy/counted_tree.h"

namespace zel {

void CountedTree::Start(const std::wstring& root, const std::wstring& keepOut, uint16_t flags,
                        const std::wstring& keptOut) {
  std::lock_guard<std::mutex> lock(mutex_);
  dirs_.clear();
  root_ = root;
  keepOut_ = keepOut;
  keptOut_ = keptOut;
  flags_ = flags;
  valid_ = true;
}

void CountedTree::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  dirs_.clear();
  valid_ = false;
}

CountedTree::PackedDirectory CountedTree::Pack(const std::vector<CountedEntry>& entries) {
  PackedDirectory out;
  size_t units = 0;
  bool narrow = true;
  for (const CountedEntry& e : entries) {
    units += e.name.size();
    for (wchar_t c : e.name) narrow = narrow && static_cast<uint32_t>(c) <= 0xFF;
  }
  out.entries.reserve(entries.size());
  if (narrow) out.narrowNames.reserve(units);
  else out.wideNames.reserve(units);
  for (const CountedEntry& e : entries) {
    const uint32_t at = static_cast<uint32_t>(narrow ? out.narrowNames.size() : out.wideNames.size());
    if (narrow) {
      for (wchar_t c : e.name) out.narrowNames.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    } else {
      out.wideNames += e.name;
    }
    out.entries.push_back(Packed{e.size, e.lastWriteTime, at, static_cast<uint32_t>(e.name.size()), e.directory});
  }
  return out;
}

std::vector<CountedEntry> CountedTree::Unpack(const PackedDirectory& packed) {
  std::vector<CountedEntry> out;
  out.reserve(packed.entries.size());
  const bool narrow = packed.wideNames.empty();
  for (const Packed& p : packed.entries) {
    CountedEntry e;
    if (narrow) {
      e.name.resize(p.nameLength);
      for (uint32_t i = 0; i < p.nameLength; ++i) {
        e.name[i] = static_cast<wchar_t>(static_cast<unsigned char>(packed.narrowNames[p.nameAt + i]));
      }
    } else {
      e.name.assign(packed.wideNames, p.nameAt, p.nameLength);
    }
    e.size = p.size;
    e.lastWriteTime = p.lastWriteTime;
    e.directory = p.directory != 0;
    out.push_back(std::move(e));
  }
  return out;
}

void CountedTree::Add(const std::wstring& dir, std::vector<CountedEntry> entries) {
  PackedDirectory packed = Pack(entries);
  std::lock_guard<std::mutex> lock(mutex_);
  dirs_[dir] = std::move(packed);
}

bool CountedTree::Covers(const std::wstring& root, const std::wstring& keepOut, uint16_t flags) const {
  return valid_ && root == root_ && keepOut == keepOut_ && flags == flags_;
}

bool CountedTree::Take(const std::wstring& dir, std::vector<CountedEntry>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = dirs_.find(dir);
  if (it == dirs_.end()) return false;
  out = Unpack(it->second);
  dirs_.erase(it);
  return true;
}

}  // namespace zel
