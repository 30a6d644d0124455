#include "security/fat_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "common/bytes.h"

namespace zel {
namespace {

struct Row {
  uint32_t total;
  FatVariant variant;
  uint8_t spc;
};

TEST(FatLayout, VariantAndClusterSizeByVolumeSize) {
  const Row rows[] = {
      {37, FatVariant::Fat12, 1},         {8192 - 63, FatVariant::Fat12, 1},
      {8400, FatVariant::Fat12, 1},       {8401, FatVariant::Fat16, 2},
      {32680, FatVariant::Fat16, 2},      {32681, FatVariant::Fat16, 4},
      {262144, FatVariant::Fat16, 4},     {262145, FatVariant::Fat16, 8},
      {524289, FatVariant::Fat16, 16},    {1048576 - 63, FatVariant::Fat16, 16},
      {1048576, FatVariant::Fat16, 16},   {1050624 - 63, FatVariant::Fat32, 8},
      {16777216, FatVariant::Fat32, 8},   {16777217, FatVariant::Fat32, 16},
      {33554433, FatVariant::Fat32, 32},  {67108864, FatVariant::Fat32, 32},
      {67108865, FatVariant::Fat32, 64},  {0xFFFFFFFFu, FatVariant::Fat32, 64},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.total);
    FatLayout l = ChooseFatLayout(r.total);
    EXPECT_EQ(l.variant, r.variant);
    EXPECT_EQ(l.sectorsPerCluster, r.spc);
    EXPECT_EQ(l.reservedSectors, r.variant == FatVariant::Fat32 ? 32 : 1);
    EXPECT_EQ(l.rootEntries, r.variant == FatVariant::Fat32 ? 0 : 512);
    EXPECT_EQ(l.rootDirSectors, r.variant == FatVariant::Fat32 ? r.spc : 32u);
  }
}

// Where the formula leaves the FAT one entry short of the volume's last
// cluster, the FAT gets one more sector; elsewhere the formula stands.
TEST(FatLayout, FatGrowsWhereTheFormulaFallsShort) {
  // (256 * 4 + 166241 - 32) / 1026 = 162 sectors hold 41,472 entries, but
  // the volume would have 41,471 clusters and so need 41,473.
  FatLayout l = ChooseFatLayout(166241);
  EXPECT_EQ(l.fatSectors, 163u);
  EXPECT_EQ(l.DataClusters(), 41470u);
  EXPECT_EQ(ChooseFatLayout(166240).fatSectors, 162u);
}

TEST(FatLayout, FatSizeFormulas) {
  // 4 MB part at 63 sectors per track: (256 + 8129 - 32) / 258.
  EXPECT_EQ(ChooseFatLayout(8129).fatSectors, 32u);
  // (256 * 16 + 1048513 - 32) / (256 * 16 + 2).
  EXPECT_EQ(ChooseFatLayout(1048513).fatSectors, 256u);
  // (128 * 8 + 1050561 - 32) / (128 * 8 + 1).
  EXPECT_EQ(ChooseFatLayout(1050561).fatSectors, 1025u);
}

// Every FAT must have an entry for every data cluster (plus the two reserved
// entries), counted with the entry width its own cluster count implies.
TEST(FatLayout, FatsCoverEveryClusterAcrossTheSizes) {
  for (uint64_t t = 40; t <= 0xFFFFFFFFull; t = t * 21 / 20 + 7) {
    FatLayout l = ChooseFatLayout(static_cast<uint32_t>(t));
    const uint64_t clusters = l.DataClusters();
    const uint64_t bits = l.variant == FatVariant::Fat32 ? 32 : (clusters < 4085 ? 12 : 16);
    ASSERT_GE(uint64_t{l.fatSectors} * 512 * 8 / bits, clusters + 2) << "T=" << t;
    if (l.variant == FatVariant::Fat16) {
      EXPECT_LT(clusters, 65525u) << "T=" << t;
    }
    if (l.variant == FatVariant::Fat32) {
      EXPECT_GE(clusters, 65525u) << "T=" << t;
    }
  }
}

std::array<uint8_t, 512> Boot(uint32_t total, uint8_t fill = 0xCC) {
  std::array<uint8_t, 512> s;
  s.fill(fill);
  FillBootSector(s.data(), ChooseFatLayout(total), TrackGeometry{255, 63}, 0x12345678);
  return s;
}

TEST(FatLayout, BootSectorCommonFieldsAndFat16Extension) {
  using namespace boot_offset;
  auto s = Boot(65535 - 0);
  EXPECT_EQ(s[0], 0xEB);
  EXPECT_EQ(s[1], 0x58);
  EXPECT_EQ(s[2], 0x90);
  EXPECT_EQ(std::string(s.begin() + 3, s.begin() + 11), "MSWIN4.1");
  EXPECT_EQ(GetLe16(&s[kBytesPerSector]), 512);
  EXPECT_EQ(s[kSectorsPerCluster], 4);
  EXPECT_EQ(GetLe16(&s[kReservedSectors]), 1);
  EXPECT_EQ(s[kFatCount], 2);
  EXPECT_EQ(GetLe16(&s[kRootEntries]), 512);
  EXPECT_EQ(GetLe16(&s[kTotal16]), 65535);
  EXPECT_EQ(GetLe32(&s[kTotal32]), 0u);
  EXPECT_EQ(s[kMedia], 0xF8);
  EXPECT_EQ(GetLe16(&s[kFatSize16]), ChooseFatLayout(65535).fatSectors);
  EXPECT_EQ(GetLe16(&s[kSectorsPerTrack]), 63);
  EXPECT_EQ(GetLe16(&s[kHeads]), 255);
  EXPECT_EQ(GetLe32(&s[kHiddenSectors]), 63u);
  EXPECT_EQ(s[kDrive16], 0x80);
  EXPECT_EQ(s[37], 0);
  EXPECT_EQ(s[kBootSig16], 0x29);
  EXPECT_EQ(GetLe32(&s[kSerial16]), 0x12345678u);
  EXPECT_EQ(std::string(s.begin() + kLabel16, s.begin() + kLabel16 + 11), "NO NAME    ");
  EXPECT_EQ(std::string(s.begin() + kFsType16, s.begin() + kFsType16 + 8), "FAT16   ");
  EXPECT_EQ(s[62], 0xCC) << "boot code area keeps what the disk held";
  EXPECT_EQ(s[509], 0xCC);
  EXPECT_EQ(s[510], 0x55);
  EXPECT_EQ(s[511], 0xAA);
}

TEST(FatLayout, TotalFieldWidthFollowsSizeAndVariant) {
  using namespace boot_offset;
  auto below = Boot(32 * 2048 - 63 - 1);  // under 32 MB
  EXPECT_EQ(GetLe16(&below[kTotal16]), 32 * 2048 - 64);
  EXPECT_EQ(GetLe32(&below[kTotal32]), 0u);
  auto above = Boot(65536);
  EXPECT_EQ(GetLe16(&above[kTotal16]), 0);
  EXPECT_EQ(GetLe32(&above[kTotal32]), 65536u);
  auto small12 = Boot(8129);
  EXPECT_EQ(GetLe16(&small12[kTotal16]), 8129);
  EXPECT_EQ(std::string(small12.begin() + kFsType16, small12.begin() + kFsType16 + 8), "FAT12   ");
}

TEST(FatLayout, Fat32BootSector) {
  using namespace boot_offset;
  const uint32_t t = 1050624 - 63;
  auto s = Boot(t, 0xCC);
  EXPECT_EQ(s[kSectorsPerCluster], 8);
  EXPECT_EQ(GetLe16(&s[kReservedSectors]), 32);
  EXPECT_EQ(GetLe16(&s[kRootEntries]), 0);
  EXPECT_EQ(GetLe16(&s[kTotal16]), 0);
  EXPECT_EQ(GetLe16(&s[kFatSize16]), 0);
  EXPECT_EQ(GetLe32(&s[kTotal32]), t);
  EXPECT_EQ(GetLe32(&s[kFatSize32]), ChooseFatLayout(t).fatSectors);
  EXPECT_EQ(GetLe16(&s[kExtFlags]), 0);
  EXPECT_EQ(GetLe16(&s[kFsVersion]), 0);
  EXPECT_EQ(GetLe32(&s[kRootCluster]), 2u);
  EXPECT_EQ(GetLe16(&s[kFsInfoSectorField]), 1);
  EXPECT_EQ(GetLe16(&s[kBackupBootField]), 6);
  for (int i = 52; i < 64; ++i) EXPECT_EQ(s[i], 0) << i;
  EXPECT_EQ(s[kDrive32], 0x80);
  EXPECT_EQ(s[65], 0);
  EXPECT_EQ(s[kBootSig32], 0x29);
  EXPECT_EQ(GetLe32(&s[kSerial32]), 0x12345678u);
  EXPECT_EQ(std::string(s.begin() + kLabel32, s.begin() + kLabel32 + 11), "NO NAME    ");
  EXPECT_EQ(std::string(s.begin() + kFsType32, s.begin() + kFsType32 + 8), "FAT32   ");
  EXPECT_EQ(s[90], 0xCC);
}

TEST(FatLayout, FsInfoSector) {
  FatLayout l = ChooseFatLayout(1050561);
  std::array<uint8_t, 512> s;
  s.fill(0xCC);
  BuildFsInfo(s.data(), l);
  EXPECT_EQ(GetLe32(&s[0]), 0x41615252u);
  EXPECT_EQ(s[0], 0x52);
  EXPECT_EQ(s[3], 0x41);
  EXPECT_EQ(GetLe32(&s[484]), 0x61417272u);
  // Data clusters less the root directory's.
  EXPECT_EQ(GetLe32(&s[488]), (1050561u - 32 - 2 * l.fatSectors) / 8 - 1);
  EXPECT_EQ(GetLe32(&s[492]), 0u);
  EXPECT_EQ(s[510], 0x55);
  EXPECT_EQ(s[511], 0xAA);
  for (int i = 4; i < 484; ++i) ASSERT_EQ(s[i], 0) << i;
}

TEST(FatLayout, FirstFatSectorMediaEntries) {
  const struct {
    uint32_t total;
    std::vector<uint8_t> head;
  } cases[] = {
      {2000, {0xF8, 0xFF, 0xFF}},
      // FAT12 by the table, but 8,032 clusters: read with 16-bit entries.
      {8129, {0xF8, 0xFF, 0xFF, 0xFF}},
      {70000, {0xF8, 0xFF, 0xFF, 0xFF}},
      {1050561, {0xF8, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.total);
    std::array<uint8_t, 512> s;
    s.fill(0xCC);
    BuildFirstFatSector(s.data(), ChooseFatLayout(c.total));
    EXPECT_EQ(std::vector<uint8_t>(s.begin(), s.begin() + c.head.size()), c.head);
    for (size_t i = c.head.size(); i < 512; ++i) ASSERT_EQ(s[i], 0) << i;
  }
}

TEST(FatLayout, BootSectorLabelMatchesTheLabelEntry) {
  for (uint32_t total : {8129u, 1050561u}) {
    std::array<uint8_t, 512> s{};
    FillBootSector(s.data(), ChooseFatLayout(total), TrackGeometry{255, 63}, 1, "PRIVATE DISK 1");
    const size_t at = total > 1048576 ? boot_offset::kLabel32 : boot_offset::kLabel16;
    EXPECT_EQ(std::string(s.begin() + at, s.begin() + at + 11), "PRIVATE DIS");
  }
}

TEST(FatLayout, LabelEntryIsPaddedOrCutToEleven) {
  const struct {
    const char* label;
    const char* stored;
  } cases[] = {{"PUBLIC", "PUBLIC     "}, {"PRIVATEDISK1234", "PRIVATEDISK"}, {"", "           "}};
  for (const auto& c : cases) {
    std::array<uint8_t, 32> e;
    e.fill(0xCC);
    BuildLabelEntry(e.data(), c.label);
    EXPECT_EQ(std::string(e.begin(), e.begin() + 11), c.stored);
    EXPECT_EQ(e[11], 0x08);
    for (int i = 12; i < 22; ++i) EXPECT_EQ(e[i], 0);
    EXPECT_EQ(GetLe16(&e[22]), 0x55CF);
    EXPECT_EQ(GetLe16(&e[24]), 0x36E9);
    for (int i = 26; i < 32; ++i) EXPECT_EQ(e[i], 0);
  }
}

}  // namespace
}  // namespace zel
