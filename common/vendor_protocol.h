// What the enclosure's bridge controller understands: the vendor operation
// codes and their sub-codes, the registers and bits the tools use, and the
// sizes of each request. The tools that send these commands and the emulated
// bridge of the simulated machine both read them from here.
#pragma once
#include <cstdint>

namespace zel {

// Operation codes (byte 0 of the command block).
enum : uint8_t {
  // The copy utility: the button latch and the bridge registers.
  kOpReadButtonStatus = 0xE0,    // one byte in: the latch
  kOpWriteButtonStatus = 0xE1,   // one byte out
  kOpReadBridgeRegister = 0xE2,  // sub, address (2, MSB first), count (2, MSB first); count bytes in
  kOpWriteBridgeRegister = 0xE3, // sub, address (2, MSB first), parameter; one byte out
  // The security tool.
  kOpReadSecurityStatus = 0xE5,  // one byte in: the security status bits below
  kOpSetPartitionSize = 0xE6,    // four bytes out: public size in sectors, MSB first
  kOpEraseDisk = 0xE7,
  kOpChangePassword = 0xE8,      // 24 bytes out: old block, new block
  kOpLockDisk = 0xE9,
  kOpUnlockDisk = 0xEA,          // 12 bytes out: the password block
  // The power tool; byte 1 holds one of the power sub-codes below.
  kOpPower = 0xEB,
};

// Standard SCSI commands the bridge answers as any disk does.
enum : uint8_t {
  kOpTestUnitReady = 0x00,
  kOpInquiry = 0x12,
  kOpReadCapacity = 0x25,
  kOpRead10 = 0x28,
  kOpWrite10 = 0x2A,
};

// Sub-codes of kOpPower.
enum : uint8_t {
  kPowerReadStatus = 0x01,          // three bytes in: status bits, timer code MSB first
  kPowerStandbyOnSuspendOn = 0x02,
  kPowerStandbyOnSuspendOff = 0x03,
  kPowerSetStandbyTimer = 0x04,     // the timer code in bytes 2 and 3, low byte first
  kPowerFactoryDefaults = 0x06,
};
// Bits of the first byte of the power status.
enum : uint8_t { kPowerStatusStandbyOnSuspend = 0x01, kPowerStatusTimerRunning = 0x02 };
// The bit of power register kPowerRegister that, with kPowerStatusTimerRunning
// clear, means the standby timer is off whatever code the status reports.
inline constexpr uint8_t kPowerRegisterTimerOffBit = 0x08;

// The button latch byte: a button's bit is 0 while a press is latched; the
// program writes a 1 to release it.
enum : uint8_t { kButton1Bit = 0x02, kButton2Bit = 0x04, kButtonBits = kButton1Bit | kButton2Bit };

// The security status byte.
enum : uint8_t {
  kStatusPartitioned = 0x01,  // a private disk exists; other bits count only with it
  kStatusLocked = 0x02,       // the private disk is locked
  kStatusPasswordSet = 0x04,  // a password is set
};

// Bridge registers (sub-code 0).
inline constexpr uint16_t kBusyRegister = 2;  // bit kBusyBit lights the busy indication
inline constexpr uint8_t kBusyBit = 0x08;
inline constexpr uint16_t kPowerRegister = 0x001A;  // read by the power tool at start-up

// Request sizes: the data room each request keeps
// (see VendorCommand in ports/scsi_port.h).
inline constexpr uint32_t kOneByteRoom = 2;           // E0, E1, E3, E5 from the Lock button, E7, E9
inline constexpr uint32_t kStatusDisplayRoom = 6;     // E5 elsewhere, E6
inline constexpr uint32_t kChangePasswordRoom = 26;   // E8
inline constexpr uint32_t kUnlockRoom = 14;           // EA
inline constexpr uint32_t kReadCapacityRoom = 8;      // READ CAPACITY
inline constexpr uint32_t kPowerStatusRoom = 6;       // EB 01 (three bytes come in)
inline constexpr uint32_t kPowerCommandRoom = 2;      // EB 02, 03, 04, 06 (no data)

}  // namespace zel
