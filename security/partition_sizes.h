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

// The slider's range is 0..SliderMaximum; its position is the private size in MB.
inline uint32_t SliderMaximum(const PartitionSizes& s) { return s.total / kSectorsPerMb; }
inline uint32_t SliderPosition(const PartitionSizes& s) { return s.privateSize / kSectorsPerMb; }

// The sizes at slider position `position` (MB of private disk): the public
// part takes the rest, or nothing when less than a megabyte would be left.
PartitionSizes SizesAtSlider(uint32_t total, uint32_t position);

}  // namespace zel
