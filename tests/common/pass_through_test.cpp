#include "common/pass_through.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/bytes.h"

namespace zel {
namespace {

VendorCommand RegisterRead(uint16_t n) {
  VendorCommand c;
  c.cdb = {0xE2, 0x00, 0x00, 0x02, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
  c.direction = DataDirection::In;
  c.dataLength = n;
  c.dataRoom = n;
  return c;
}

TEST(PassThrough, ThirtyTwoBitRequestMatchesTheSystemTable) {
  const std::vector<uint8_t> b = EncodePassThrough(kPassThrough32, RegisterRead(1), nullptr);
  ASSERT_EQ(b.size(), 63u);  // 62 + n
  const std::vector<uint8_t> header = {
      44, 0, 0, 0, 0, 0, 12, 18, 1, 0, 0, 0,  // length .. padding
      1, 0, 0, 0,                              // data length
      32, 0, 0, 0,                             // time-out
      62, 0, 0, 0,                             // data offset
      44, 0, 0, 0,                             // sense offset
      0xE2, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 44), header);
  for (size_t i = 44; i < b.size(); ++i) EXPECT_EQ(b[i], 0) << i;
  EXPECT_EQ(PassThroughInLength(kPassThrough32, RegisterRead(1)), 44u);
}

TEST(PassThrough, SixtyFourBitRequestWidensTheDataOffset) {
  VendorCommand c;
  c.cdb[0] = 0xE1;
  c.direction = DataDirection::Out;
  c.dataLength = 1;
  c.dataRoom = 2;
  c.sendWhole = true;
  const uint8_t value = 0x5A;
  const std::vector<uint8_t> b = EncodePassThrough(kPassThrough64, c, &value);
  ASSERT_EQ(b.size(), 76u);
  EXPECT_EQ(GetLe16(&b[0]), 56);
  EXPECT_EQ(b[8], 0);                 // data out
  EXPECT_EQ(GetLe32(&b[12]), 1u);     // one byte
  EXPECT_EQ(GetLe32(&b[16]), 32u);
  EXPECT_EQ(GetLe64(&b[24]), 74u);    // pointer-wide data offset
  EXPECT_EQ(GetLe32(&b[32]), 56u);    // sense right behind the header
  EXPECT_EQ(b[36], 0xE1);
  EXPECT_EQ(b[74], 0x5A);
  EXPECT_EQ(PassThroughInLength(kPassThrough64, c), 76u);
  EXPECT_EQ(PassThroughInLength(kPassThrough32, c), 64u);
}

TEST(PassThrough, DecodeReadsEitherLayoutBack) {
  for (const PassThroughLayout* layout : {&kPassThrough32, &kPassThrough64}) {
    std::vector<uint8_t> b = EncodePassThrough(*layout, RegisterRead(300), nullptr);
    DecodedPassThrough d;
    ASSERT_TRUE(DecodePassThrough(b, d));
    EXPECT_EQ(d.layout, layout);
    EXPECT_EQ(d.dataLength, 300u);
    EXPECT_EQ(d.dataOffset, layout->DataOffset());
    EXPECT_EQ(d.senseOffset, layout->SenseOffset());
    EXPECT_EQ(d.cdb[4], 0x01);
    EXPECT_EQ(d.cdb[5], 0x2C);
    EXPECT_EQ(d.direction, DataDirection::In);
    b[0] = 40;  // neither system layout
    EXPECT_FALSE(DecodePassThrough(b, d));
  }
  EXPECT_FALSE(DecodePassThrough(std::vector<uint8_t>(20, 0), *std::make_unique<DecodedPassThrough>()));
}

TEST(PassThrough, DataOutBeyondTheSentBytesIsRefused) {
  // A data-out request that sends only its header leaves the data behind.
  VendorCommand c;
  c.cdb[0] = 0xE1;
  c.direction = DataDirection::Out;
  c.dataLength = 1;
  c.dataRoom = 2;
  const uint8_t value = 0;
  for (const PassThroughLayout* layout : {&kPassThrough32, &kPassThrough64}) {
    std::vector<uint8_t> b = EncodePassThrough(*layout, c, &value);
    DecodedPassThrough d;
    ASSERT_TRUE(DecodePassThrough(b, d));
    EXPECT_EQ(CheckPassThroughBuffer(d, b.size(), PassThroughInLength(*layout, c)), 87);
    c.sendWhole = true;
    EXPECT_EQ(CheckPassThroughBuffer(d, b.size(), PassThroughInLength(*layout, c)), 0);
    c.sendWhole = false;
  }
}

}  // namespace
}  // namespace zel
