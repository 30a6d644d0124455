// The sizes the partition dialog works with, in 512-byte sectors, and the
// slider arithmetic (a slider step is one megabyte, 2048 sectors).
#pragma once
#include <cstdint>

namespace zel {

inline constexpr uint32_t kSectorsPerMb = 2048;

struct PartitionSizes {
  uint32_t publicSize = 0;   // also the first sector of the private part
  uint32_t privateSize = 0;  // 0: no private part
  uint32_t total = 0;        // public + private as read when the dialog opened
  bool operator==(const PartitionSizes&) const = default;
};

// The slider's range is 0..SliderMaximum; its position is the private size in
// MB. The bridge splits the disk where the public disk ends, so a private
// disk needs a public disk of at least a megabyte in front of it.
inline uint32_t SliderMaximum(const PartitionSizes& s) {
  return s.total < 2 * kSectorsPerMb ? 0 : (s.total - kSectorsPerMb) / kSectorsPerMb;
}
// Sizes the bridge can split by: a public disk, and a private disk only
// behind one.
inline bool SplitUsable(const PartitionSizes& s) { return s.publicSize != 0; }
inline uint32_t SliderPosition(const PartitionSizes& s) { return s.privateSize / kSectorsPerMb; }

// The sizes at slider position `position` (MB of private disk): the public
// part takes the rest, or nothing when less than a megabyte would be left.
PartitionSizes SizesAtSlider(uint32_t total, uint32_t position);

}  // namespace zel
