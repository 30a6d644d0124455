// Making and changing simulated machines (zelsim and the tests use these).
#pragma once
#include <cstdint>
#include <string>

namespace zel::sim {

inline constexpr const wchar_t* kOneButtonHardwareId = L"USB\\VID_3F1A&PID_0C35&REV_0100";
inline constexpr const wchar_t* kTwoButtonHardwareId = L"USB\\VID_3F1A&PID_0C36&REV_0100";

struct CreateOptions {
  uint32_t diskMb = 64;     // the enclosure's disk
  bool twoButton = false;
  bool windows98 = false;   // a Windows 98 machine (ASPI, enumerators) instead of Windows XP
};

// A machine with one enclosure (one FAT32 volume E:, its private disk's
// volume F: once partitioned), an internal fixed disk (C:) and a CD-ROM (D:).
// Drive letters map to DIR/drives/<letter>. Refuses a directory that already
// holds a machine.
bool CreateMachine(const std::string& dir, const CreateOptions& options, std::string& error);

// A second unit (LUN) under the USB device of enclosure `number` (from 1),
// with its own bridge, image and a volume on the next free letter.
bool AddLun(const std::string& dir, int number, uint32_t diskMb, std::string& error);

// Latches a press of button 1 or 2 on enclosure `number` (from 1).
bool PressButton(const std::string& dir, int number, int button, std::string& error);

// Sets one key of a bridge's state file ("button", "timer", "reg.00.001A", ...).
bool SetBridgeValue(const std::string& dir, int number, const std::string& key, const std::string& value,
                    std::string& error);

// Writes a partition table with one FAT32 partition and its boot sector
// (volume serial at byte 67) at the start of a unit of an enclosure.
bool WriteFatPartition(const std::string& dir, const std::string& enclosureId, uint64_t firstSector,
                       uint64_t sectors, uint32_t signature, uint32_t serial, std::string& error);

}  // namespace zel::sim
