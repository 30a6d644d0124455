#include "common/disk_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace zel {
namespace {

TEST(DiskRecord, FieldsLandAtTheirOffsets) {
  DiskRecord r;
  r.identity = 0x11223344;
  r.deviceNode = 0x55667788;
  r.treeItem = 0x0A0B0C0D;
  r.present = 1;
  SetFieldText(r.busKind, L"usbstor");
  r.diskSize = 0x0102030405060708ull;
  r.volumeCount = 2;
  r.volumes[1].driveLetter = u'G';
  SetFieldText(r.volumes[1].label, L"BACKUP");
  SetFieldText(r.volumes[1].fileSystem, L"FAT32");
  r.volumes[1].bootFlag = 0x80;
  r.volumes[1].volumeNumber = 7;
  r.volumes[1].totalMb = 1000;
  r.volumes[1].freeMb = 999;
  SetFieldText(r.friendlyName, L"Brindle USB Disk");
  r.aspiHostAdapter = 255;
  r.fixedMedia = 1;
  SetFieldText(r.interfacePath, L"\\\\?\\usbstor#disk");
  r.volumeInterfaceIndex = 3;

  std::vector<uint8_t> b(kDiskRecordSize);
  EncodeDiskRecord(r, b.data());
  EXPECT_EQ(b[0], 0x44);
  EXPECT_EQ(b[3], 0x11);
  EXPECT_EQ(b[4], 0x88);
  EXPECT_EQ(b[8], 0x0D);
  EXPECT_EQ(b[12], 1);
  EXPECT_EQ(b[14], 'u');
  EXPECT_EQ(b[15], 0);
  EXPECT_EQ(b[48], 0x08);
  EXPECT_EQ(b[55], 0x01);
  EXPECT_EQ(b[56], 2);
  const size_t v1 = 60 + 76;
  EXPECT_EQ(b[v1 + 0], 'G');
  EXPECT_EQ(b[v1 + 2], 'B');
  EXPECT_EQ(b[v1 + 34], 'F');
  EXPECT_EQ(b[v1 + 66], 0x80);
  EXPECT_EQ(b[v1 + 67], 7);
  EXPECT_EQ(b[v1 + 68], 0xE8);  // 1000 = 0x3E8
  EXPECT_EQ(b[v1 + 69], 0x03);
  EXPECT_EQ(b[v1 + 72], 0xE7);
  EXPECT_EQ(b[1276], 'B');
  EXPECT_EQ(b[1436], 255);
  EXPECT_EQ(b[1437], 1);
  EXPECT_EQ(b[1438], '\\');
  EXPECT_EQ(b[1958], 3);
  EXPECT_EQ(b[1959], 0);
  EXPECT_EQ(DecodeDiskRecord(b.data()), r);
}

TEST(DiskRecord, ArbitraryBytesRoundTripExactly) {
  // A record read from a file must be written back byte for byte, whatever it holds.
  std::vector<uint8_t> b(kDiskRecordSize);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>((i * 131 + 7) & 0xFF);
  std::vector<uint8_t> again(kDiskRecordSize);
  EncodeDiskRecord(DecodeDiskRecord(b.data()), again.data());
  EXPECT_EQ(again, b);
}

TEST(DiskRecord, TextFieldsKeepTheirTerminator) {
  std::array<char16_t, 16> label{};
  SetFieldText(label, L"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(FieldText(label), L"ABCDEFGHIJKLMNO");
  EXPECT_EQ(label[15], 0);
}

}  // namespace
}  // namespace zel
