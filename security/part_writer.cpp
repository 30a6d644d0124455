#include "security/part_writer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "security/master_boot_record.h"

namespace zel {
namespace {

using Sector = std::array<uint8_t, kSectorBytes>;

// Zeroed regions are written in runs of this many sectors. The bytes on the
// disk are the same as with four-sector writes; only the number of calls
// differs.
constexpr uint32_t kZeroRunSectors = 2048;

class PartIo {
 public:
  PartIo(RawDevice& disk, uint64_t firstSector) : disk_(disk), base_(firstSector) {}

  bool Read(uint64_t sector, Sector& s) { return disk_.Read(Offset(sector), s.data(), kSectorBytes) == 0; }
  bool Write(uint64_t sector, const Sector& s) {
    return disk_.Write(Offset(sector), s.data(), kSectorBytes) == 0;
  }
  bool Zero(uint64_t sector, uint64_t count) {
    // The buffer grows to the longest run asked for, so a small volume does
    // not pay for clearing a megabyte it never writes.
    const size_t longest = size_t{static_cast<uint32_t>(std::min<uint64_t>(count, kZeroRunSectors))} * kSectorBytes;
    if (zeros_.size() < longest) zeros_.assign(longest, 0);
    while (count > 0) {
      const uint32_t run = static_cast<uint32_t>(std::min<uint64_t>(count, kZeroRunSectors));
      if (disk_.Write(Offset(sector), zeros_.data(), run * kSectorBytes) != 0) return false;
      sector += run;
      count -= run;
    }
    return true;
  }

 private:
  uint64_t Offset(uint64_t sector) const { return (base_ + sector) * kSectorBytes; }
  RawDevice& disk_;
  uint64_t base_;
  std::vector<uint8_t> zeros_;
};

bool FormatVolume(PartIo& io, const PartExtent& e, const TrackGeometry& g,
                  const std::optional<std::string>& label, Progress& progress) {
  const FatLayout& l = e.layout;
  const uint64_t v = e.volumeStart;
  Sector boot;
  if (!io.Read(v, boot)) return false;
  FillBootSector(boot.data(), l, g, VolumeSerialNow(), label.value_or(""));
  if (!io.Write(v, boot)) return false;
  if (!io.Zero(1, v - 1)) return false;
  progress.Add(10);

  if (l.variant == FatVariant::Fat32) {
    Sector info;
    BuildFsInfo(info.data(), l);
    if (!io.Write(v + kBackupBootSector, boot) || !io.Write(v + kFsInfoSector, info) ||
        !io.Write(v + kBackupFsInfoSector, info)) {
      return false;
    }
  }
  progress.Add(10);

  const uint64_t fat1 = v + l.FirstFatSector();
  if (!io.Zero(fat1, ZeroRunSectors(2ull * l.fatSectors))) return false;
  Sector media;
  BuildFirstFatSector(media.data(), l);
  if (!io.Write(fat1, media) || !io.Write(fat1 + l.fatSectors, media)) return false;
  progress.Add(10);

  const uint64_t root = v + l.RootDirStart();
  if (!io.Zero(root, ZeroRunSectors(l.rootDirSectors))) return false;
  if (label) {
    Sector first{};
    BuildLabelEntry(first.data(), *label);
    if (!io.Write(root, first)) return false;
  }
  return true;
}

}  // namespace

bool ReadTrackGeometry(RawDevice& disk, TrackGeometry& out) {
  DiskGeometry g;
  if (disk.Geometry(g) != 0) return false;
  out.heads = static_cast<uint8_t>(g.tracksPerCylinder);
  out.sectorsPerTrack = static_cast<uint8_t>(g.sectorsPerTrack);
  return true;
}

bool WritePart(RawDevice& disk, const PartPlan& part, Progress& progress) {
  PartIo io(disk, part.firstSector);
  Sector mbr;
  if (!io.Read(0, mbr)) return false;
  TrackGeometry g;
  if (!ReadTrackGeometry(disk, g)) return false;
  const std::optional<PartExtent> extent = PlanPartExtent(part.sectors, g);
  if (!extent) return false;
  BuildMasterBootRecord(mbr.data(), part.sectors, g);
  if (!io.Write(0, mbr)) return false;
  return FormatVolume(io, *extent, g, part.label, progress);
}

}  // namespace zel
