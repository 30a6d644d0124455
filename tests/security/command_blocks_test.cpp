#include "security/command_blocks.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/bytes.h"
#include "common/pass_through.h"

namespace zel {
namespace {

TEST(SecurityCommandBlocks, RequestsOnThe32BitLayout) {
  using namespace pass_through_offset;
  const struct {
    const char* name;
    VendorCommand request;
    uint8_t op;
    uint8_t direction;
    uint32_t length, sent, received;
  } cases[] = {
      {"status, Lock/Unlock", ReadSecurityStatusRequest(StatusQuery::LockButton), 0xE5, 1, 1, 44, 64},
      {"status, others", ReadSecurityStatusRequest(StatusQuery::Display), 0xE5, 1, 1, 44, 68},
      {"partition size", SetPartitionSizeRequest(), 0xE6, 0, 4, 68, 68},
      {"erase", EraseDiskRequest(), 0xE7, 1, 0, 64, 64},
      {"change password", ChangePasswordRequest(), 0xE8, 0, 24, 88, 88},
      {"lock", LockDiskRequest(), 0xE9, 1, 0, 64, 64},
      {"unlock", UnlockDiskRequest(), 0xEA, 0, 12, 76, 76},
      {"read capacity", ReadCapacityRequest(), 0x25, 1, 8, 44, 70},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> data(c.length, 0x5A);
    std::vector<uint8_t> b = EncodePassThrough(kPassThrough32, c.request, data.data());
    EXPECT_EQ(b.size(), c.received);
    EXPECT_EQ(PassThroughInLength(kPassThrough32, c.request), c.sent);
    EXPECT_EQ(GetLe16(&b[kLength]), 44);
    EXPECT_EQ(b[kPathId], 0);
    EXPECT_EQ(b[kTargetId], 0);
    EXPECT_EQ(b[kLun], 0);
    EXPECT_EQ(b[6], 12) << "command-block length";
    EXPECT_EQ(b[kSenseInfoLength], 18);
    EXPECT_EQ(b[kDataIn], c.direction);
    EXPECT_EQ(GetLe32(&b[kDataTransferLength]), c.length);
    EXPECT_EQ(GetLe32(&b[kTimeOutValue]), 32u);
    EXPECT_EQ(GetLe32(&b[20]), 62u) << "data offset";
    EXPECT_EQ(GetLe32(&b[24]), 44u) << "sense offset";
    EXPECT_EQ(b[28], c.op);
    for (int i = 29; i < 44; ++i) EXPECT_EQ(b[i], 0) << "command byte " << i - 28;
    for (size_t i = 0; i < c.length; ++i) {
      EXPECT_EQ(b[62 + i], c.direction == 0 ? 0x5A : 0) << "data byte " << i;
    }
  }
}

TEST(SecurityCommandBlocks, DataBlocks) {
  EXPECT_EQ(PartitionSizeData(0), (std::array<uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(PartitionSizeData(0x01020304), (std::array<uint8_t, 4>{1, 2, 3, 4}));
  auto d = ChangePasswordData(BlankPasswordBlock(), MakePasswordBlock("New"));
  EXPECT_EQ(std::vector<uint8_t>(d.begin(), d.begin() + 12), std::vector<uint8_t>(12, 0xA5));
  EXPECT_EQ(std::string(d.begin() + 12, d.end()), "New         ");
  // A 1,000-sector disk reports its last block, 999, and a block length.
  EXPECT_EQ(LastBlockAddress({0x00, 0x00, 0x03, 0xE7, 0x00, 0x00, 0x02, 0x00}), 999u);
}

}  // namespace
}  // namespace zel
