// The simulated machine: what a directory's "machine.txt" describes. USB
// devices with their hardware identifiers, the enclosures (each an emulated
// bridge with a disk image), disks (internal ones, CD-ROMs and the units of
// the enclosures), and volumes with drive letters mapped to host directories.
//
// machine.txt holds one item a line, "kind id key=value ...", values with
// blanks in double quotes:
//   family nt|98
//   version 5.1.2600
//   usb usb1 hwid="USB\VID_3F1A&PID_0C35&REV_0100"
//   enclosure enc1 usb=usb1 image=enc1.img sectors=131072 buttons=1
//             vendor=ZELTECH product="ONE TOUCH DISK" revision=0100
//   disk enc1d0 enclosure=enc1 part=0 lun=0 media=removable|fixed friendly=".."
//   disk hd0 media=fixed bus=ide bytes=.. signature=0x.. friendly=".." bios=0x80
//   partition hd0 start=.. length=.. type=0x07 boot=1 recognized=1
//   disk cd0 media=cdrom bus=ide friendly=".."
//   volume V1 disk=enc1d0 partition=1 letter=E dir=drives/E label=.. fs=FAT32
//          serial=0x.. capacity=.. number=3
// Units of an enclosure take their size from the bridge state and their
// partition table from the disk image (unless partitions are listed); part
// 1 (the private disk) exists only while the bridge is partitioned.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ports/system_port.h"

namespace zel::sim {

enum class Media { Fixed, Removable, Cdrom };

struct SimPartition {
  int64_t start = 0;   // bytes
  int64_t length = 0;  // bytes
  uint8_t type = 0;
  bool boot = false;
  bool recognized = true;
};

struct SimUsb {
  std::string id;
  std::wstring hardwareId;
};

struct SimEnclosure {
  std::string id;
  std::string usb;
  std::string image;     // disk image, relative to the machine directory
  uint64_t sectors = 0;  // image size in 512-byte sectors
  int buttons = 1;
  std::string vendor = "ZELTECH";
  std::string product = "ONE TOUCH DISK";
  std::string revision = "0100";
};

struct SimDisk {
  std::string id;
  Media media = Media::Fixed;
  std::string bus = "ide";   // Windows 98 enumerator: ide (ESDI) or scsi
  std::string enclosure;     // the bridge answering for it, "" for none
  int part = 0;              // enclosure units: 0 the public or whole disk, 1 the private disk
  int lun = 0;
  std::string usb;           // USB device above it (enclosure units take the enclosure's)
  std::wstring friendly;
  uint64_t bytes = 0;        // disks without an image
  uint32_t signature = 0;
  std::vector<SimPartition> partitions;  // disks without an image, or in place of an image's table
  int bios = -1;             // Windows 98: Int 13h unit, -1 none
};

struct SimVolume {
  std::string id;
  std::string disk;
  int partition = 1;         // 1-based partition of the disk; 0 the whole medium
  char letter = 0;           // 0: no drive letter
  std::string dir;           // host directory, relative to the machine directory or absolute
  std::wstring label;
  std::wstring fileSystem = L"FAT32";
  uint32_t serial = 0;
  uint64_t capacity = 0;     // bytes
  uint32_t number = 0;       // volume number
};

struct Machine {
  std::string dir;           // the machine directory
  std::string family = "nt";
  OsVersion version{5, 1, 2600};
  std::vector<SimUsb> usb;
  std::vector<SimEnclosure> enclosures;
  std::vector<SimDisk> disks;
  std::vector<SimVolume> volumes;

  const SimUsb* FindUsb(const std::string& id) const;
  const SimEnclosure* FindEnclosure(const std::string& id) const;
  const SimDisk* FindDisk(const std::string& id) const;
  bool IsNt() const { return family != "98"; }
  std::string PathOf(const std::string& relative) const;  // inside the machine directory
};

inline constexpr const char* kMachineFile = "machine.txt";

bool LoadMachine(const std::string& dir, Machine& out, std::string& error, std::string* text = nullptr);
bool SaveMachine(const Machine& machine, std::string& error);

}  // namespace zel::sim
