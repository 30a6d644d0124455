// The machine as the system would show it at one moment: machine.txt read
// together with every bridge's state, giving present disks, volumes, device
// instances, interface paths and the device tree. Every port call of the
// simulated machine asks for the view as it stands (CurrentView), so changes
// made by another process show at the next call.
#pragma once
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/device_tree_port.h"
#include "ports/drive_map.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine.h"
#include "ports/storage_port.h"

namespace zel::sim {

inline constexpr DevInst kRootInst = 1, kVolumeManagerInst = 2;

struct ViewUsb {
  const SimUsb* usb = nullptr;
  DevInst inst = 0;
  std::wstring interfacePath;
};

struct ViewDisk {
  const SimDisk* disk = nullptr;
  const SimEnclosure* enclosure = nullptr;  // image-backed units
  UnitExtent unit;                          // their part of the image
  DevInst inst = 0;
  uint32_t number = 0;                      // disk number (CD-ROMs: their own count)
  std::wstring interfacePath;
  uint64_t bytes = 0;
  DriveLayout layout;
};

struct ViewVolume {
  const SimVolume* volume = nullptr;
  const ViewDisk* disk = nullptr;
  DevInst inst = 0;
  std::wstring interfacePath;
  int64_t start = 0;   // bytes on the disk
  int64_t length = 0;
  bool mounted = false;  // the disk is there with this partition and media
};

struct ViewNode {
  DevInst parent = 0;
  std::vector<DevInst> children;
  std::string enumerator;  // "USB", "SCSI", "ESDI" or ""
};

class View {
 public:
  View() = default;
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  bool Load(const std::string& dir, std::string& error);
  // True while the files the view was built from read as they did then, or
  // for a bridge's state file, while it gives the same units.
  bool StillStands() const;
  // The same for the bridges' state files alone, and for the first sectors
  // of the images alone.
  bool StatesStillStand() const;
  bool SectorsStillStand() const;
  // Whether `name` (in the machine's directory) is an enclosure's image, or
  // a bridge's state file.
  bool IsImage(const std::string& name) const;
  bool IsStateFile(const std::string& name) const;
  // Whether a write of `bytes` at `offset` into the image named `image`
  // reaches one of the sectors this view was made from.
  bool ReadFrom(const std::string& image, uint64_t offset, uint64_t bytes) const;
  // The names of those files, when all of them lie in the machine's
  // directory; null when some lie elsewhere.
  const std::vector<std::string>* InputNames() const { return watchable_ ? &inputNames_ : nullptr; }

  Machine machine;
  // Each bridge's state by enclosure id, as the view was made. A view is kept
  // across state changes that leave the units alone, so only the units (plugged,
  // split, locked) are sure to be current; ask the state file for the rest.
  std::map<std::string, BridgeState> states;
  std::vector<ViewUsb> usb;
  std::vector<ViewDisk> disks;  // present disks and CD-ROMs, machine order
  std::vector<ViewVolume> volumes;
  std::map<DevInst, ViewNode> nodes;

  const ViewDisk* DiskByPath(const std::wstring& path) const;
  const ViewDisk* DiskByInst(DevInst inst) const;
  // A volume by interface path, "\\.\E:" or root "E:\".
  const ViewVolume* VolumeByPath(const std::wstring& path) const;
  const ViewVolume* VolumeByLetter(wchar_t letter) const;
  const ViewUsb* UsbByInst(DevInst inst) const;
  std::string HostDirectory(const ViewVolume& v) const;
  // Letters of a disk's mounted volumes in partition order (Windows 98's
  // CurrentDriveLetterAssignment).
  std::string DriveLetters(const ViewDisk& d) const;

 private:
  void BuildTree();
  bool ReadFirstSector(const ViewDisk& d, uint8_t* sector);

  // What Load read: machine.txt, each bridge's state file (by enclosure, in
  // machine order) and the first sector of each unit whose table it took
  // from there (the read's outcome and bytes).
  struct Sector {
    const SimEnclosure* enclosure = nullptr;
    uint64_t offset = 0;
    long status = 0;
    std::array<uint8_t, kSectorSize> bytes{};
  };
  std::string machineText_;
  std::vector<std::string> stateTexts_;
  std::vector<Sector> sectors_;
  std::vector<std::string> inputNames_;
  bool watchable_ = false;
};

// The view of the machine in `dir` as it stands now; null with `error` when
// the machine cannot be read. The last view of a machine is kept and handed
// out again while machine.txt and the first sectors its disks' tables came
// from read the same and the bridges' state files give the same units; any
// other change builds a new one.
std::shared_ptr<const View> CurrentView(const std::string& dir, std::string& error);
// The same for a caller with nothing to say about why there is none.
std::shared_ptr<const View> CurrentView(const std::string& dir);

// One pass over the machine's devices (a discovery, a device listing): while
// it stands on a thread, the view of `dir` checked at the first call of the
// pass serves the later calls on that thread, until this process writes one
// of the machine's files. Changes made by other processes show after the
// pass, as they would between two passes. An empty `dir` makes no pass, and
// neither does one within a pass over another machine.
//
// A write of this process into an image that reaches none of the sectors
// the pass's view was made from (a format writing its tables and its empty
// directories) leaves that view serving while the bridges' states stand:
// noted by NoteOwnImageWrite, it is told apart from the writes that may
// change what the view shows.
class ViewPass {
 public:
  explicit ViewPass(const std::string& dir);
  ~ViewPass();
  ViewPass(const ViewPass&) = delete;
  ViewPass& operator=(const ViewPass&) = delete;

 private:
  bool active_ = false;
};

// This process writes `bytes` at `offset` into the image of `e`, an
// enclosure of the machine `m` (counted as one of its own writes).
void NoteOwnImageWrite(const Machine& m, const SimEnclosure& e, uint64_t offset, uint64_t bytes);

// The drive map of a machine: each lettered volume's host directory and
// capacity (for the file-system adapter).
std::vector<DriveMapping> MachineDriveMap(const std::string& dir);

// Bytes in use under a host directory (regular files, recursively).
uint64_t DirectoryBytes(const std::string& dir);
// The same, the count kept in `keepFile` between answers while the tree's
// directories show no change (counted afresh every time without a file).
uint64_t UsedBytes(const std::string& dir, const std::string& keepFile);
// What a volume of `capacity` bytes kept in `dir` has left: the capacity less
// the files under the directory, none when they fill it.
uint64_t FreeBytes(uint64_t capacity, const std::string& dir, const std::string& keepFile = std::string());
// The file in which a machine keeps the count of a volume's bytes.
std::string UsedBytesFile(const std::string& machineDir, char letter);

// The volume interface path of a volume of the machine, present or not.
std::wstring VolumeInterfacePath(const Machine& m, const SimVolume& v);

// The 98 family's adjusted description and SCSI hardware identifier of a unit.
std::wstring ScsiDescription(const SimEnclosure& e);
std::wstring ScsiHardwareId(const SimEnclosure& e);

}  // namespace zel::sim
