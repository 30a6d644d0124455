#include "common/transport.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/bytes.h"
#include "common/disk_record.h"
#include "common/pass_through.h"
#include "ports/platform.h"

namespace zel {
namespace {

// Records each request and answers it with `reply`.
struct FakeScsi : ScsiPort {
  struct Call {
    std::wstring path;
    bool overlapped;
    std::vector<uint8_t> sent;
    size_t bufferSize;
  };
  std::vector<Call> calls;
  long error = 0;
  uint8_t status = 0;
  std::vector<uint8_t> reply;
  long PassThrough(const std::wstring& path, bool overlapped, std::vector<uint8_t>& buffer,
                   uint32_t inLength) override {
    calls.push_back({path, overlapped, std::vector<uint8_t>(buffer.begin(), buffer.begin() + inLength),
                     buffer.size()});
    if (error != 0) return error;
    buffer[pass_through_offset::kScsiStatus] = status;
    for (size_t i = 0; i < reply.size() && kBuildPassThrough.DataOffset() + i < buffer.size(); ++i) {
      buffer[kBuildPassThrough.DataOffset() + i] = reply[i];
    }
    return 0;
  }
};

class Transport : public ::testing::Test {
 protected:
  void SetUp() override {
    ports_.scsi = &scsi_;
    scoped_ = std::make_unique<ScopedPorts>(ports_);
    GlobalDiskList() = DiskList{};
    GlobalDiskList().count = 2;
    SetFieldText(GlobalDiskList().disks[1].interfacePath, L"\\\\?\\usbstor#disk#1");
  }
  void TearDown() override { GlobalDiskList() = DiskList{}; }
  const std::vector<uint8_t>& Cdb() { return cdb_ = std::vector<uint8_t>(scsi_.calls.back().sent.begin() + kBuildPassThrough.cdbAt, scsi_.calls.back().sent.begin() + kBuildPassThrough.cdbAt + 12); }
  FakeScsi scsi_;
  Platform ports_;
  std::unique_ptr<ScopedPorts> scoped_;
  std::vector<uint8_t> cdb_;
};

TEST_F(Transport, StatusReadGoesToTheInterfacePathWithTheHeaderOnly) {
  scsi_.reply = {0xFD};
  EXPECT_EQ(ReadButtonStatus(1), 0xFD);
  ASSERT_EQ(scsi_.calls.size(), 1u);
  EXPECT_EQ(scsi_.calls[0].path, L"\\\\?\\usbstor#disk#1");
  EXPECT_TRUE(scsi_.calls[0].overlapped);
  EXPECT_EQ(scsi_.calls[0].sent.size(), kBuildPassThrough.headerLength);
  EXPECT_EQ(scsi_.calls[0].bufferSize, kBuildPassThrough.DataOffset() + 2u);  // 64 on 32-bit
  EXPECT_EQ(Cdb()[0], 0xE0);
}

TEST_F(Transport, StatusReadFailuresAllGiveFF) {
  scsi_.reply = {0x00};
  scsi_.status = kScsiStatusCheckCondition;  // the control call succeeded
  EXPECT_EQ(ReadButtonStatus(1), 0xFF);
  scsi_.status = 0;
  scsi_.error = 2;  // interface path gone
  EXPECT_EQ(ReadButtonStatus(1), 0xFF);
  scsi_.calls.clear();
  EXPECT_EQ(ReadButtonStatus(2), 0xFF);   // beyond the count
  EXPECT_EQ(ReadButtonStatus(500), 0xFF);
  EXPECT_EQ(ReadButtonStatus(0), 0xFF);   // record without a path
  EXPECT_TRUE(scsi_.calls.empty());
}

TEST_F(Transport, StatusWriteSendsTheWholeBufferToTheVolume) {
  WriteButtonStatus(L'G', 0xFB);
  ASSERT_EQ(scsi_.calls.size(), 1u);
  const auto& call = scsi_.calls[0];
  EXPECT_EQ(call.path, L"\\\\.\\G:");
  EXPECT_FALSE(call.overlapped);
  EXPECT_EQ(call.sent.size(), kBuildPassThrough.DataOffset() + 2u);
  EXPECT_EQ(call.sent[kBuildPassThrough.DataOffset()], 0xFB);
  EXPECT_EQ(call.sent[pass_through_offset::kDataIn], 0);
  EXPECT_EQ(Cdb()[0], 0xE1);
}

TEST_F(Transport, BridgeRegisterCommandBlocks) {
  scsi_.reply = {0x0C, 0x77};
  uint8_t out[2] = {0, 0};
  ASSERT_TRUE(ReadBridgeRegister(L'E', 0, 0x0102, 2, out));
  EXPECT_EQ(out[0], 0x0C);
  EXPECT_EQ(out[1], 0x77);
  EXPECT_EQ(Cdb(), (std::vector<uint8_t>{0xE2, 0, 0x01, 0x02, 0, 2, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(scsi_.calls.back().bufferSize, kBuildPassThrough.DataOffset() + 2u);

  ASSERT_TRUE(ReadBridgeRegister(L'E', 0, 2, 1, out));
  EXPECT_EQ(scsi_.calls.back().bufferSize, kBuildPassThrough.DataOffset() + 1u);  // 63 on 32-bit
  EXPECT_EQ(scsi_.calls.back().sent.size(), kBuildPassThrough.headerLength);

  ASSERT_TRUE(ReadBridgeRegisterAt(L"\\\\?\\usbstor#disk#1", true, 0, 0x001A, 1, out));
  EXPECT_EQ(scsi_.calls.back().path, L"\\\\?\\usbstor#disk#1");
  EXPECT_TRUE(scsi_.calls.back().overlapped);
  EXPECT_EQ(Cdb(), (std::vector<uint8_t>{0xE2, 0, 0, 0x1A, 0, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(scsi_.calls[0].overlapped);  // the drive-letter form opens without flags

  ASSERT_TRUE(WriteBridgeRegister(L'E', 0, 2, 0, 0x0C | 0x08));
  EXPECT_EQ(Cdb(), (std::vector<uint8_t>{0xE3, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(scsi_.calls.back().sent[kBuildPassThrough.DataOffset()], 0x0C);

  scsi_.status = kScsiStatusCheckCondition;
  out[0] = 0x42;
  EXPECT_FALSE(ReadBridgeRegister(L'E', 0, 2, 1, out));
  EXPECT_EQ(out[0], 0x42);  // untouched on failure
  EXPECT_FALSE(WriteBridgeRegister(L'E', 0, 2, 0, 1));
}

}  // namespace
}  // namespace zel
