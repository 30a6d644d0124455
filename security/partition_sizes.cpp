#include "security/partition_sizes.h"


namespace zel {

PartitionSizes SizesAtSlider(uint32_t total, uint32_t position) {
  const uint64_t wanted = uint64_t{position} * kSectorsPerMb;
  const uint32_t privateSize = wanted < total ? static_cast<uint32_t>(wanted) : total;
  const uint32_t rest = total - privateSize;
  return PartitionSizes{rest < kSectorsPerMb ? 0 : rest, privateSize, total};
}

}  // namespace zel
