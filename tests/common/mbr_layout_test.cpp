#include "common/mbr_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace zel {
namespace {

void Entry(std::array<uint8_t, 512>& s, int i, uint8_t boot, uint8_t type, uint32_t start, uint32_t count) {
  uint8_t* e = s.data() + 446 + 16 * i;
  e[0] = boot;
  e[4] = type;
  for (int b = 0; b < 4; ++b) {
    e[8 + b] = static_cast<uint8_t>(start >> (8 * b));
    e[12 + b] = static_cast<uint8_t>(count >> (8 * b));
  }
}

TEST(MbrLayout, PrimaryEntriesInTableOrder) {
  std::array<uint8_t, 512> s{};
  DriveLayout layout;
  ParseMbrLayout(s.data(), layout);
  EXPECT_TRUE(layout.partitions.empty());  // no 0x55AA: no table

  s[440] = 0x78;
  s[443] = 0x12;
  s[510] = 0x55;
  s[511] = 0xAA;
  Entry(s, 0, 0x80, 0x0C, 2048, 100000);
  Entry(s, 2, 0x00, 0x05, 102048, 5000);  // slot 1 empty: skipped
  Entry(s, 3, 0x00, 0xEE, 1, 0xFFFFFFFF);
  ParseMbrLayout(s.data(), layout);
  EXPECT_EQ(layout.signature, 0x12000078u);
  ASSERT_EQ(layout.partitions.size(), 3u);
  EXPECT_TRUE(layout.partitions[0].bootIndicator);
  EXPECT_TRUE(layout.partitions[0].recognizedPartition);
  EXPECT_EQ(layout.partitions[0].startingOffset, 2048ll * 512);
  EXPECT_EQ(layout.partitions[0].partitionLength, 100000ll * 512);
  EXPECT_EQ(layout.partitions[1].partitionNumber, 2u);
  EXPECT_FALSE(layout.partitions[1].recognizedPartition);  // extended
  EXPECT_FALSE(layout.partitions[2].recognizedPartition);  // GPT protective
  EXPECT_EQ(layout.partitions[2].partitionLength, 0xFFFFFFFFll * 512);
}

}  // namespace
}  // namespace zel
