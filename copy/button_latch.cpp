#include "copy/button_latch.h"

#include "common/transport.h"

namespace zel {

uint8_t TransportButtonLatch::Read(uint32_t diskIndex) { return ReadButtonStatusAt(ButtonReadTarget(diskIndex)); }

void TransportButtonLatch::Write(uint32_t diskIndex, uint8_t value) {
  WriteButtonStatusAt(ButtonWriteTarget(diskIndex), value);
}

}  // namespace zel
