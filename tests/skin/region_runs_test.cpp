#include "skin/region_runs.h"

#include <gtest/gtest.h>

#include <string>

#include "common/bytes.h"

namespace zel::skin {
namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kGold = 0x20C0F0;  // red F0, green C0, blue 20

// A picture drawn as text rows ('#' gold, '.' black, 'w' white), stored the
// way the system stores it: bottom row first, rows padded to 4 bytes.
struct TestImage {
  std::vector<uint8_t> bits;
  std::vector<uint32_t> palette;
  PixelImage image;

  TestImage(const std::vector<std::string>& rows, int bpp) {
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    const size_t stride = RowStride(w, bpp);
    bits.assign(stride * static_cast<size_t>(h), 0xEE);  // padding that is not black
    palette = {0x000000, 0xF0C020, 0xFFFFFF};           // blue, green, red, reserved bytes
    for (int y = 0; y < h; ++y) {
      uint8_t* row = bits.data() + stride * static_cast<size_t>(h - 1 - y);
      for (int x = 0; x < w; ++x) {
        char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
        Colour colour = c == '#' ? kGold : c == 'w' ? 0xFFFFFF : kBlack;
        uint32_t v = KeyForDepth(colour, bpp);
        switch (bpp) {
          case 8: row[x] = static_cast<uint8_t>(c == '#' ? 1 : c == 'w' ? 2 : 0); break;
          case 16: PutLe16(row + 2 * x, static_cast<uint16_t>(v)); break;
          case 24:
            row[3 * x] = static_cast<uint8_t>(v);
            row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
            break;
          default: PutLe32(row + 4 * x, v); break;
        }
      }
    }
    image = {bits.data(), w, h, bpp, false, bpp == 8 ? palette.data() : nullptr};
  }
};

const std::vector<std::string> kShape = {
    "..###",  // run reaching the right edge
    "##...",  // must start afresh, not continue the row above
    ".....",  // black row: nothing
    "#####",  // no black pixel: one run as wide as the picture
    "#.#.#",
};
const std::vector<RowRun> kShapeRuns = {{2, 0, 5}, {0, 1, 2}, {0, 3, 5}, {0, 4, 1}, {2, 4, 3}, {4, 4, 5}};

TEST(SkinRegion, RunsAreTheSameAtEveryDepth) {
  for (int bpp : {8, 16, 24, 32}) {
    TestImage t(kShape, bpp);
    EXPECT_EQ(OpaqueRuns(t.image, kBlack, kBlack), kShapeRuns) << bpp << " bits per pixel";
  }
}

TEST(SkinRegion, TopDownRowsAndSecondKey) {
  TestImage t(kShape, 32);
  // The same bytes read as a top-down picture are the picture upside down.
  t.image.topDown = true;
  std::vector<RowRun> flipped = OpaqueRuns(t.image, kBlack, kBlack);
  ASSERT_EQ(flipped.size(), kShapeRuns.size());
  EXPECT_EQ(flipped.front(), (RowRun{0, 0, 1}));
  EXPECT_EQ(flipped.back(), (RowRun{2, 4, 5}));
  // Two keys: gold and white are both transparent, so only black remains.
  TestImage two({"#w..#", "www##"}, 24);
  EXPECT_EQ(OpaqueRuns(two.image, kGold, 0xFFFFFF), (std::vector<RowRun>{{2, 0, 4}}));
}

TEST(SkinRegion, KeyColourPerDepth) {
  const Colour key = 0x0080FF;  // red FF, green 80, blue 00
  EXPECT_EQ(KeyForDepth(key, 16), 0xFC00u);
  EXPECT_EQ(KeyForDepth(key, 24), 0xFF8000u);
  EXPECT_EQ(KeyForDepth(key, 32), 0xFF8000u);
  EXPECT_EQ(KeyForDepth(0x123456, 8), 0x563412u);
  // 16 bits keep only the top bits of each channel: a near-black pixel
  // matches the black key there, but not at 24 bits.
  TestImage deep({"#"}, 24), shallow({"#"}, 16);
  PutLe32(deep.bits.data(), 0x00030303);
  PutLe16(shallow.bits.data(), static_cast<uint16_t>(KeyForDepth(0x030303, 16)));
  EXPECT_EQ(OpaqueRuns(deep.image, kBlack, kBlack).size(), 1u);
  EXPECT_TRUE(OpaqueRuns(shallow.image, kBlack, kBlack).empty());
  // 32 bits compare the whole value; 24 bits only the colour bytes.
  TestImage full({"#"}, 32);
  PutLe32(full.bits.data(), 0xFF000000);
  EXPECT_EQ(OpaqueRuns(full.image, kBlack, kBlack).size(), 1u);
  TestImage packed({"#"}, 24);
  PutLe32(packed.bits.data(), 0xFF000000);  // the fourth byte is padding
  EXPECT_TRUE(OpaqueRuns(packed.image, kBlack, kBlack).empty());
  // Depths the rule does not read give nothing rather than garbage.
  TestImage four({"#"}, 32);
  four.image.bitsPerPixel = 4;
  EXPECT_TRUE(OpaqueRuns(four.image, kBlack, kBlack).empty());
}

TEST(SkinRegion, RegionDataLayout) {
  std::vector<uint8_t> data = RegionData({{2, 0, 5}, {0, 3, 4}}, 10, 20);
  ASSERT_EQ(data.size(), 32u + 2 * 16u);
  EXPECT_EQ(GetLe32(data.data()), 32u);
  EXPECT_EQ(GetLe32(data.data() + 4), 1u);
  EXPECT_EQ(GetLe32(data.data() + 8), 2u);
  EXPECT_EQ(GetLe32(data.data() + 12), 32u);
  EXPECT_EQ(GetLe32(data.data() + 16), 10u);  // bounds
  EXPECT_EQ(GetLe32(data.data() + 20), 20u);
  EXPECT_EQ(GetLe32(data.data() + 24), 15u);
  EXPECT_EQ(GetLe32(data.data() + 28), 24u);
  const uint8_t* r = data.data() + 48;  // second rectangle
  EXPECT_EQ(GetLe32(r), 10u);
  EXPECT_EQ(GetLe32(r + 4), 23u);
  EXPECT_EQ(GetLe32(r + 8), 14u);
  EXPECT_EQ(GetLe32(r + 12), 24u);
  EXPECT_EQ(RegionData({}).size(), 32u);
}

}  // namespace
}  // namespace zel::skin
