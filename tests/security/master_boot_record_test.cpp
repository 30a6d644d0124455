#include "security/master_boot_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "common/bytes.h"

namespace zel {
namespace {

bool Contains(std::span<const uint8_t> bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST(MasterBootRecord, TemplateCarriesBothMessagesAndZeroTables) {
  auto code = MasterBootCode();
  EXPECT_TRUE(Contains(code, std::string("Invalid partition table.") + '\0'));
  EXPECT_TRUE(Contains(code, std::string("Error loading operation system.") + '\0'));
  EXPECT_NE(code[0], 0) << "boot code starts at byte 0";
  for (size_t i = 440; i < 512; ++i) ASSERT_EQ(code[i], 0) << i;
}

TEST(MasterBootRecord, PartitionEntryForAPart) {
  const struct {
    uint32_t n;
    TrackGeometry g;
    uint8_t type, endHead, endSector, endCylinder;
  } cases[] = {
      // 4 MB at 255/63: last sector 8191 = cylinder 0, head 130, sector 2.
      {8192, {255, 63}, 0x0C, 130, 2, 0},
      // 32 sectors per track gives type 0x0B; last sector 65535 at 64/32:
      // cylinder 31, head 63, sector 32.
      {65536, {64, 32}, 0x0B, 63, 32, 31},
      // Cylinder 1000 (bits 8..9 = 3) at 255/63.
      {1001 * 255 * 63, {255, 63}, 0x0C, 254, 63 | (3 << 6), 1000 & 0xFF},
      // Beyond 1023 cylinders only the low 10 bits remain: 1030 -> 6.
      {1031 * 16 * 63, {16, 63}, 0x0C, 15, 63 | (0 << 6), 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    std::array<uint8_t, 512> s;
    s.fill(0xCC);
    BuildMasterBootRecord(s.data(), c.n, c.g);
    EXPECT_TRUE(std::equal(s.begin(), s.begin() + 446, MasterBootCode().begin()));
    EXPECT_EQ(s[446], 0x80);
    EXPECT_EQ(s[447], 1);
    EXPECT_EQ(s[448], 1);
    EXPECT_EQ(s[449], 0);
    EXPECT_EQ(s[450], c.type);
    EXPECT_EQ(s[451], c.endHead);
    EXPECT_EQ(s[452], c.endSector);
    EXPECT_EQ(s[453], c.endCylinder);
    EXPECT_EQ(GetLe32(&s[454]), c.g.sectorsPerTrack);
    EXPECT_EQ(GetLe32(&s[458]), c.n - c.g.sectorsPerTrack);
    for (size_t i = 462; i < 510; ++i) ASSERT_EQ(s[i], 0) << i;
    EXPECT_EQ(s[510], 0x55);
    EXPECT_EQ(s[511], 0xAA);
  }
}

}  // namespace
}  // namespace zel
