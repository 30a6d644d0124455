// The copy utility's vendor commands to the enclosure's bridge controller:
// the button latch (E0/E1) and the bridge registers (E2/E3). Each call opens
// the device, sends one request and closes it again. Which route a call takes
// follows the process's system family, Ports().family.
#pragma once
#include <cstdint>
#include <string>

#include "ports/platform.h"

namespace zel {

// NT family: E0 to the interface path of disk record `diskIndex` of the global
// disk list. The status byte, or 0xFF when it cannot be read.
uint8_t ReadButtonStatus(uint32_t diskIndex);
// Windows 98 family: E0 through ASPI to a host adapter.
uint8_t ReadButtonStatusAspi(uint8_t hostAdapter);
// E1 with one byte; failures are ignored.
void WriteButtonStatus(wchar_t driveLetter, uint8_t value);
void WriteButtonStatusAspi(uint8_t hostAdapter, uint8_t value);

// E2: n bytes of a bridge register into `destination`; true on success.
bool ReadBridgeRegister(wchar_t driveLetter, uint8_t sub, uint16_t address, uint16_t n,
                        uint8_t* destination);
// E2 to a device path (the power tool reads register 0x001A through the
// interface path of its device-list entry 0, opened overlapped).
bool ReadBridgeRegisterAt(const std::wstring& path, bool overlapped, uint8_t sub, uint16_t address, uint16_t n,
                          uint8_t* destination);
// E3: one byte; true on success.
bool WriteBridgeRegister(wchar_t driveLetter, uint8_t sub, uint16_t address, uint8_t parameter,
                         uint8_t value);

}  // namespace zel
