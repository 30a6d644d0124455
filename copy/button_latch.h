// The enclosure button's latch byte, per disk of the global disk list: read
// with the E0 command and written with E1, routed the way the system family
// asks (the interface path and the first volume's drive letter on the NT
// family, the ASPI host adapter on the Windows 98 family).
#pragma once
#include <cstdint>

namespace zel {

class ButtonLatch {
 public:
  virtual ~ButtonLatch() = default;
  // The status byte of disk `diskIndex`: bit 1 button 1, bit 2 button 2, a 0
  // bit a press not yet acknowledged; 0xFF when it cannot be read.
  virtual uint8_t Read(uint32_t diskIndex) = 0;
  // Writes the status byte back; failures are ignored.
  virtual void Write(uint32_t diskIndex, uint8_t value) = 0;
};

// The latch through the vendor transport (common/transport.h) and the
// global disk list.
class TransportButtonLatch : public ButtonLatch {
 public:
  uint8_t Read(uint32_t diskIndex) override;
  void Write(uint32_t diskIndex, uint8_t value) override;
};

}  // namespace zel
