// The register commands through the vendor transport. Kept apart so that
// only programs that talk to a device need the transport.
#include "common/transport.h"
#include "copy/bridge_registers.h"

namespace zel {

bool TransportBridgeRegisters::Read(wchar_t driveLetter, uint8_t sub, uint16_t address, uint16_t n,
                                    uint8_t* destination) {
  return ReadBridgeRegister(driveLetter, sub, address, n, destination);
}

bool TransportBridgeRegisters::Write(wchar_t driveLetter, uint8_t sub, uint16_t address, uint8_t parameter,
                                     uint8_t value) {
  return WriteBridgeRegister(driveLetter, sub, address, parameter, value);
}

}  // namespace zel
