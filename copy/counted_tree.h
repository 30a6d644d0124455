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
  // Forgets what an earlier pass saw and starts a walk of `root` that stays
  // out of `keepOut`, found to be the directory `keptOut` under `root`
  // (empty when it is not under it).
  void Start(const std::wstring& root, const std::wstring& keepOut, uint16_t flags, const std::wstring& keptOut);
  void Clear();
  // One directory's entries (".", ".." and partial files left out); safe to
  // call from the counting threads at once.
  void Add(const std::wstring& dir, std::vector<CountedEntry> entries);
  // Whether the walk kept is the one of these copy arguments.
  bool Covers(const std::wstring& root, const std::wstring& keepOut, uint16_t flags) const;
  // Hands out a directory's entries once; false when the walk did not read it.
  bool Take(const std::wstring& dir, std::vector<CountedEntry>& out);
  // The directory the walk stayed out of, as found when it started.
  const std::wstring& KeptOut() const { return keptOut_; }

 private:
  // One directory's entries as kept between the passes: fixed-size records
  // and the names side by side in one block, one byte a character when every
  // character of the directory's names fits in one (names are mostly ASCII),
  // so that a large tree costs little more than its names.
  struct Packed {
    uint64_t size;
    uint64_t lastWriteTime;
    uint32_t nameAt;
    uint32_t nameLength : 31;
    uint32_t directory : 1;
  };
  struct PackedDirectory {
    std::vector<Packed> entries;
    std::string narrowNames;
    std::wstring wideNames;  // used when some character needs more than a byte
  };
  static PackedDirectory Pack(const std::vector<CountedEntry>& entries);
  static std::vector<CountedEntry> Unpack(const PackedDirectory& packed);

  std::mutex mutex_;
  bool valid_ = false;
  std::wstring root_, keepOut_, keptOut_;
  uint16_t flags_ = 0;
  std::unordered_map<std::wstring, PackedDirectory> dirs_;
};

}  // namespace zel
