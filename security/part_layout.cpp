#include "security/part_layout.h"

#include <algorithm>

namespace zel {

std::optional<PartExtent> PlanPartExtent(uint32_t n, const TrackGeometry& g) {
  if (g.sectorsPerTrack == 0 || g.heads == 0 || n <= g.sectorsPerTrack) return std::nullopt;
  PartExtent e;
  e.volumeStart = g.sectorsPerTrack;
  e.layout = ChooseFatLayout(n - g.sectorsPerTrack);
  const FatLayout& l = e.layout;
  if (l.DataClusters() == 0) return std::nullopt;
  const uint64_t fatsEnd = l.FirstFatSector() + ZeroRunSectors(2ull * l.fatSectors);
  const uint64_t rootEnd = l.RootDirStart() + ZeroRunSectors(l.rootDirSectors);
  uint64_t end = std::max(fatsEnd, rootEnd);
  if (l.variant == FatVariant::Fat32) end = std::max<uint64_t>(end, kBackupFsInfoSector + 1);
  if (end > l.totalSectors) return std::nullopt;
  e.writeEnd = e.volumeStart + end;
  return e;
}

}  // namespace zel
