#include <gtest/gtest.h>

#include <string>

#include "security/partition_sizes.h"
#include "security/password_block.h"

namespace zel {
namespace {

std::string Text(const PasswordBlock& b) { return std::string(b.begin(), b.end()); }

TEST(PasswordBlock, TypedTextPaddedWithSpacesToTwelve) {
  const struct {
    const char* typed;
    const char* block;
  } cases[] = {
      {"Secret12Word", "Secret12Word"},  // twelve characters, no padding
      {"Secret12Wor", "Secret12Wor "},   // eleven: one space
      {"a", "a           "},
      {"", "            "},             // an enabled but empty field
      {"CaSe", "CaSe        "},
      {"Thirteen char", "Thirteen cha"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(MakePasswordBlock(c.typed)), c.block) << c.typed;
}

TEST(PasswordBlock, TrailingSpacesGiveTheSameBlock) {
  EXPECT_EQ(MakePasswordBlock("pw"), MakePasswordBlock("pw "));
  EXPECT_EQ(MakePasswordBlock("pw"), MakePasswordBlock("pw         "));
  EXPECT_NE(MakePasswordBlock("pw"), MakePasswordBlock("PW"));
}

TEST(PasswordBlock, BlankBlockStandsForNoPassword) {
  EXPECT_EQ(BlankPasswordBlock(), PasswordBlock({0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5,
                                                 0xA5, 0xA5, 0xA5, 0xA5}));
  EXPECT_EQ(UnlockPasswordBlock(""), BlankPasswordBlock());
  EXPECT_EQ(UnlockPasswordBlock("x"), MakePasswordBlock("x"));
}

TEST(PartitionSizes, SliderSplitsTheTotal) {
  const uint32_t total = 10 * 2048 + 777;
  const struct {
    uint32_t position;
    PartitionSizes sizes;
  } cases[] = {
      {0, {total, 0, total}},                      // no private part, whole size public
      {3, {total - 3 * 2048, 3 * 2048, total}},
      {9, {2048 + 777, 9 * 2048, total}},
      {10, {0, 10 * 2048, total}},                 // under a megabyte left: no public part
  };
  for (const auto& c : cases) EXPECT_EQ(SizesAtSlider(total, c.position), c.sizes) << c.position;
  PartitionSizes s{total - 3 * 2048, 3 * 2048, total};
  EXPECT_EQ(SliderMaximum(s), 9u) << "the public part keeps at least a megabyte";
  EXPECT_EQ(SizesAtSlider(total, SliderMaximum(s)).publicSize, 2048u + 777u);
  EXPECT_EQ(SliderMaximum(PartitionSizes{0, 0, 2 * 2048 - 1}), 0u);
  EXPECT_EQ(SliderPosition(s), 3u);
}

}  // namespace
}  // namespace zel
