// The SG_IO header the transport fills for each kind of command, how its
// answer is read, the capability test and the mount table reader.
#include <gtest/gtest.h>

#include "platform/linux/mount_table.h"
#include "platform/linux/sg_io_request.h"

namespace zel {
namespace {

using namespace linux_adapters;

ScsiRequest Request(uint8_t opcode, DataDirection direction, uint32_t length, uint8_t* data) {
  ScsiRequest r;
  r.command.cdb = {opcode, 0, 0, 2, 0, 1};
  r.command.direction = direction;
  r.command.dataLength = length;
  r.data = data;
  return r;
}

TEST(SgIoRequest, HeaderCarriesTheBlockTheDataTheSenseAndThe32SecondTimeOut) {
  uint8_t byte = 0x5A;
  std::array<uint8_t, kCdbLength> cdb{};
  sg_io_hdr_t io{};
  ScsiRequest in = Request(0xE2, DataDirection::In, 1, &byte);
  FillSgIo(in, cdb, io);
  EXPECT_EQ(io.interface_id, 'S');
  EXPECT_EQ(io.cmd_len, 12);
  EXPECT_EQ(io.cmdp, cdb.data());
  EXPECT_EQ(cdb, in.command.cdb);
  EXPECT_EQ(io.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(io.dxfer_len, 1u);
  EXPECT_EQ(io.dxferp, &byte);
  EXPECT_EQ(io.sbp, in.sense.data());
  EXPECT_EQ(io.mx_sb_len, 18);
  EXPECT_EQ(io.timeout, 32000u);

  ScsiRequest out = Request(0xE1, DataDirection::Out, 1, &byte);
  FillSgIo(out, cdb, io);
  EXPECT_EQ(io.dxfer_direction, SG_DXFER_TO_DEV);
  EXPECT_EQ(cdb[0], 0xE1);

  ScsiRequest none = Request(0xE8, DataDirection::In, 0, nullptr);
  FillSgIo(none, cdb, io);
  EXPECT_EQ(io.dxfer_direction, SG_DXFER_NONE);
  EXPECT_EQ(io.dxferp, nullptr);
}

TEST(SgIoRequest, AnswerIsReadAsThePassThroughRouteReadsItsOwn) {
  uint8_t data[8] = {};
  ScsiRequest r = Request(0x25, DataDirection::In, 8, data);
  sg_io_hdr_t io{};
  io.status = 2;            // CHECK CONDITION reached the device: the status tells
  io.driver_status = 0x08;  // sense came back
  EXPECT_EQ(ReadSgIoResult(io, r), 0);
  EXPECT_EQ(r.status, 2);

  io = sg_io_hdr_t{};
  io.resid = 3;
  EXPECT_EQ(ReadSgIoResult(io, r), 0);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.transferred, 5u);

  io = sg_io_hdr_t{};
  io.host_status = 0x03;  // timed out on the way
  EXPECT_EQ(ReadSgIoResult(io, r), 121);
  io = sg_io_hdr_t{};
  io.driver_status = 0x06;
  EXPECT_EQ(ReadSgIoResult(io, r), 121);
  io = sg_io_hdr_t{};
  io.host_status = 0x01;  // no connection: the enclosure was unplugged
  EXPECT_EQ(ReadSgIoResult(io, r), 1117);
}

TEST(SgIoRequest, VendorCodesNeedTheRawIoCapability) {
  EXPECT_TRUE(NeedsRawIo(0xE0));
  EXPECT_TRUE(NeedsRawIo(0xEB));
  EXPECT_FALSE(NeedsRawIo(0x25));  // READ CAPACITY
  EXPECT_FALSE(NeedsRawIo(0x12));
  EXPECT_TRUE(StatusHasRawIo("Name:\tcorvex\nCapInh:\t0000000000000000\nCapEff:\t000001ffffffffff\n"));
  EXPECT_TRUE(StatusHasRawIo("CapEff:\t0000000000020000\n"));
  EXPECT_FALSE(StatusHasRawIo("CapPrm:\t0000000000020000\nCapEff:\t0000000000000000\n"));
  EXPECT_FALSE(StatusHasRawIo("CapEff:\t000001fffffdffff\n"));  // everything but it
  EXPECT_FALSE(StatusHasRawIo(""));
}

TEST(MountTable, EntriesAreReadWithEscapesAndOptionalFields) {
  const auto mounts = ParseMountInfo(
      "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
      "44 26 8:17 / /media/ann/ONE\\040TOUCH rw,relatime shared:7 shared:9 - vfat /dev/sdb1 rw\n"
      "garbage\n"
      "45 26 8:18 / /x rw - \n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].device, "98:0");
  EXPECT_EQ(mounts[0].directory, "/mnt2");
  EXPECT_EQ(mounts[0].type, "ext3");
  EXPECT_EQ(mounts[1].directory, "/media/ann/ONE TOUCH");
  EXPECT_EQ(mounts[1].type, "vfat");
  EXPECT_EQ(mounts[1].source, "/dev/sdb1");
}

}  // namespace
}  // namespace zel
