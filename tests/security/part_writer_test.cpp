#include "security/part_writer.h"

#include <gtest/gtest.h>

#include <set>

#include "common/bytes.h"
#include "memory_disk.h"
#include "security/master_boot_record.h"

namespace zel {
namespace {

using test::MemoryDisk;

class CountingSink : public ProgressSink {
 public:
  void ShowProgress(uint8_t p) override { seen.push_back(p); }
  std::vector<uint8_t> seen;
};

// The sectors a format of a part must touch, and no others.
std::set<uint64_t> ExpectedWrites(uint64_t b, uint32_t n, const TrackGeometry& g) {
  auto e = PlanPartExtent(n, g);
  std::set<uint64_t> s;
  const FatLayout& l = e->layout;
  const uint64_t v = b + g.sectorsPerTrack;
  for (uint64_t i = b; i <= v; ++i) s.insert(i);
  if (l.variant == FatVariant::Fat32) {
    s.insert(v + 1);
    s.insert(v + 6);
    s.insert(v + 7);
  }
  for (uint64_t i = 0; i < ZeroRunSectors(2ull * l.fatSectors); ++i) s.insert(v + l.reservedSectors + i);
  for (uint64_t i = 0; i < ZeroRunSectors(l.rootDirSectors); ++i) s.insert(v + l.RootDirStart() + i);
  return s;
}

TEST(PartWriter, TouchesExactlyItsStructuresAndKeepsTheRest) {
  const struct {
    uint64_t b;
    uint32_t n;
    TrackGeometry g;
  } cases[] = {
      {0, 8192, {255, 63}},          // FAT12
      {5000, 70000, {16, 32}},       // FAT16, 32 sectors per track
      {100, 2 * 1050624, {255, 63}}, // FAT32, FAT run not a multiple of four
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    MemoryDisk disk(c.b + c.n + 100, c.g.heads, c.g.sectorsPerTrack);
    Progress progress(nullptr);
    PartPlan plan{c.b, c.n, std::string("PUBLIC")};
    ASSERT_TRUE(WritePart(disk, plan, progress));
    EXPECT_EQ(disk.written, ExpectedWrites(c.b, c.n, c.g));
    EXPECT_EQ(progress.Value(), 30);

    auto e = *PlanPartExtent(c.n, c.g);
    const uint64_t v = c.b + c.g.sectorsPerTrack;
    auto mbr = disk.Sector(c.b);
    EXPECT_EQ(mbr[446], 0x80);
    EXPECT_EQ(GetLe32(&mbr[458]), c.n - c.g.sectorsPerTrack);
    auto boot = disk.Sector(v);
    EXPECT_EQ(boot[100], 0xE5) << "untouched boot sector bytes keep the disk's";
    EXPECT_EQ(boot[510], 0x55);
    EXPECT_EQ(disk.Sector(c.b + 1)[0], 0);
    auto fat1 = disk.Sector(v + e.layout.reservedSectors);
    auto fat2 = disk.Sector(v + e.layout.reservedSectors + e.layout.fatSectors);
    EXPECT_EQ(fat1, fat2);
    EXPECT_EQ(fat1[0], 0xF8);
    EXPECT_EQ(disk.Sector(v + e.layout.reservedSectors + 1)[0], 0);
    auto root = disk.Sector(v + e.layout.RootDirStart());
    EXPECT_EQ(std::string(root.begin(), root.begin() + 11), "PUBLIC     ");
    EXPECT_EQ(root[11], 0x08);
    EXPECT_EQ(disk.Sector(v + e.layout.RootDirStart() + 1)[0], 0);
    if (e.layout.variant == FatVariant::Fat32) {
      EXPECT_EQ(disk.Sector(v + 6), boot);
      EXPECT_EQ(disk.Sector(v + 1), disk.Sector(v + 7));
      EXPECT_EQ(GetLe32(&disk.Sector(v + 1)[0]), 0x41615252u);
    }
    // Zeroing goes in large runs, not one call per four sectors.
    EXPECT_LT(disk.writeCalls, 40);
  }
}

TEST(PartWriter, NoLabelLeavesTheRootDirectoryEmpty) {
  MemoryDisk disk(9000, 255, 63);
  Progress progress(nullptr);
  ASSERT_TRUE(WritePart(disk, PartPlan{0, 8192, std::nullopt}, progress));
  auto e = *PlanPartExtent(8192, TrackGeometry{255, 63});
  auto root = disk.Sector(63 + e.layout.RootDirStart());
  EXPECT_EQ(root, (std::array<uint8_t, 512>{}));
}

TEST(PartWriter, ProgressStepsOfTen) {
  MemoryDisk disk(9000, 255, 63);
  CountingSink sink;
  Progress progress(&sink);
  progress.Set(20);
  ASSERT_TRUE(WritePart(disk, PartPlan{0, 8192, std::nullopt}, progress));
  EXPECT_EQ(sink.seen, (std::vector<uint8_t>{20, 30, 40, 50}));
}

TEST(PartWriter, AnyFailedStepFailsThePart) {
  const uint32_t n = 2 * 1050624;
  auto e = *PlanPartExtent(n, TrackGeometry{255, 63});
  const uint64_t v = 63;
  const uint64_t failing[] = {0, v, 1, v + 6, v + 1, v + 7, v + 32 + 10, v + 32,
                              v + 32 + e.layout.fatSectors, v + e.layout.RootDirStart()};
  for (uint64_t s : failing) {
    SCOPED_TRACE(s);
    MemoryDisk disk(n + 10, 255, 63);
    disk.failWriteAt = s;
    Progress progress(nullptr);
    EXPECT_FALSE(WritePart(disk, PartPlan{0, n, std::string("X")}, progress));
  }
  MemoryDisk unreadable(n + 10, 255, 63);
  unreadable.failReadAt = 0;
  Progress progress(nullptr);
  EXPECT_FALSE(WritePart(unreadable, PartPlan{0, n, std::nullopt}, progress));
  EXPECT_TRUE(unreadable.written.empty());
  MemoryDisk noGeometry(n + 10, 255, 63);
  noGeometry.failGeometry = true;
  EXPECT_FALSE(WritePart(noGeometry, PartPlan{0, n, std::nullopt}, progress));
  EXPECT_TRUE(noGeometry.written.empty());
}

TEST(PartLayout, PartsTooSmallForTheirLayoutAreRefused) {
  const TrackGeometry g{255, 63};
  EXPECT_FALSE(PlanPartExtent(63, g));
  EXPECT_FALSE(PlanPartExtent(64, g));
  EXPECT_FALSE(PlanPartExtent(63 + 1 + 2 + 32, g)) << "no room for one data cluster";
  EXPECT_TRUE(PlanPartExtent(63 + 1 + 2 + 32 + 1, g));
  EXPECT_FALSE(PlanPartExtent(8192, TrackGeometry{255, 0}));
  EXPECT_FALSE(PlanPartExtent(8192, TrackGeometry{0, 63}));
}

}  // namespace
}  // namespace zel
