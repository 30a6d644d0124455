// The bridge register that tells the enclosure a copy run is going on:
// address 2, sub-command 0, bit 3.
#pragma once
#include <cstdint>

#include "common/disk_record.h"
#include "common/vendor_protocol.h"

namespace zel {

// The vendor register commands, addressed by drive letter.
class BridgeRegisters {
 public:
  virtual ~BridgeRegisters() = default;
  virtual bool Read(wchar_t driveLetter, uint8_t sub, uint16_t address, uint16_t n, uint8_t* destination) = 0;
  virtual bool Write(wchar_t driveLetter, uint8_t sub, uint16_t address, uint8_t parameter, uint8_t value) = 0;
};

// The commands of common/transport.h.
class TransportBridgeRegisters : public BridgeRegisters {
 public:
  bool Read(wchar_t driveLetter, uint8_t sub, uint16_t address, uint16_t n, uint8_t* destination) override;
  bool Write(wchar_t driveLetter, uint8_t sub, uint16_t address, uint8_t parameter, uint8_t value) override;
};

// Sets the busy bit of one disk before a run started from the configuration
// window; true when it was written.
bool SetBusyIndication(const DiskRecord& disk, BridgeRegisters& bridge);
// Clears the busy bit of every present disk of the list, through the drive
// letter of each disk's first volume. A disk whose register cannot be read is
// left alone.
void ClearBusyIndication(const DiskList& disks, BridgeRegisters& bridge);

}  // namespace zel
