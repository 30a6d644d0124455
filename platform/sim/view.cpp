#include "platform/sim/view.h"

#include <algorithm>
#include <mutex>

#include "common/bytes.h"
#include "common/text.h"
#include "common/mbr_layout.h"
#include "platform/sim/machine_watch.h"
#include "platform/sim/state_file.h"

namespace zel::sim {
namespace {

constexpr DevInst kUsbBase = 0x100, kDiskBase = 0x200, kStorageBase = 0x300, kVolumeBase = 0x400;

std::wstring Lower(const std::string& s) {
  std::wstring out;
  for (char c : s) out.push_back(static_cast<wchar_t>(std::tolower(static_cast<unsigned char>(c))));
  return out;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return EqualsNoCaseWide(a, b); }

}  // namespace

std::wstring VolumeInterfacePath(const Machine& m, const SimVolume& v) {
  const SimDisk* disk = m.FindDisk(v.disk);
  const Media media = disk != nullptr ? disk->media : Media::Fixed;
  if (media == Media::Cdrom) return L"\\\\?\\storage#cdrom#" + Lower(v.disk) + L"#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
  const std::wstring kind = media == Media::Fixed ? L"volume" : L"removablemedia";
  return L"\\\\?\\storage#" + kind + L"#" + Lower(v.disk) + L"_" + Lower(v.id) +
         L"#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
}

std::wstring ScsiDescription(const SimEnclosure& e) {
  std::string vendor = e.vendor.substr(0, 8), product = e.product.substr(0, 16);
  vendor.resize(8, ' ');
  product.resize(16, ' ');
  return Utf8ToWide(vendor + " " + product);
}

std::wstring ScsiHardwareId(const SimEnclosure& e) {
  std::string vendor = e.vendor.substr(0, 8), product = e.product.substr(0, 16), revision = e.revision.substr(0, 4);
  vendor.resize(8, ' ');
  product.resize(16, ' ');
  revision.resize(4, ' ');
  std::string id = vendor + product + revision;
  std::replace(id.begin(), id.end(), ' ', '_');
  return Utf8ToWide(id);
}

// The first sector of a unit, noted with the outcome of its read.
bool View::ReadFirstSector(const ViewDisk& d, uint8_t* sector) {
  Sector read;
  read.enclosure = d.enclosure;
  read.offset = d.unit.firstSector * kSectorSize;
  read.status = ReadImage(machine, *d.enclosure, read.offset, read.bytes.data(), kSectorSize);
  std::copy(read.bytes.begin(), read.bytes.end(), sector);
  sectors_.push_back(read);
  return read.status == 0;
}

namespace {

// The names of the files Load reads, asked for at every port call.
bool InputNamesOf(const Machine& machine, std::vector<std::string>& names) {
  names = {kMachineFile};
  auto inside = [](const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
  };
  for (const SimEnclosure& e : machine.enclosures) {
    if (!inside(e.id + ".state") || !inside(e.image)) return false;
    names.push_back(e.id + ".state");
    names.push_back(e.image);
  }
  return true;
}

}  // namespace

bool View::Load(const std::string& dir, std::string& error) {
  if (!LoadMachine(dir, machine, error, &machineText_)) return false;
  watchable_ = InputNamesOf(machine, inputNames_);
  for (const SimEnclosure& e : machine.enclosures) {
    stateTexts_.emplace_back();
    states[e.id] = LoadBridgeState(machine, e, &stateTexts_.back());
  }

  for (size_t i = 0; i < machine.usb.size(); ++i) {
    // A USB device whose enclosures are all pulled out is gone with them.
    bool enclosed = false, plugged = false;
    for (const SimEnclosure& e : machine.enclosures) {
      if (e.usb != machine.usb[i].id) continue;
      enclosed = true;
      plugged = plugged || states[e.id].plugged;
    }
    if (enclosed && !plugged) continue;
    ViewUsb u;
    u.usb = &machine.usb[i];
    u.inst = kUsbBase + static_cast<DevInst>(i);
    std::wstring hw = Lower(WideToUtf8(u.usb->hardwareId));
    for (wchar_t& c : hw) {
      if (c == L'\\') c = L'#';
    }
    u.interfacePath = L"\\\\?\\" + hw + L"#" + Lower(u.usb->id) + L"#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    usb.push_back(u);
  }

  uint32_t diskNumber = 0, cdromNumber = 0;
  for (size_t i = 0; i < machine.disks.size(); ++i) {
    const SimDisk& sd = machine.disks[i];
    ViewDisk d;
    d.disk = &sd;
    d.inst = kDiskBase + static_cast<DevInst>(i);
    d.enclosure = machine.FindEnclosure(sd.enclosure);
    if (d.enclosure != nullptr) {
      d.unit = UnitOf(*d.enclosure, states[d.enclosure->id], sd.part);
      if (!d.unit.present) continue;
      d.bytes = d.unit.sectors * kSectorSize;
    }
    if (d.enclosure != nullptr && sd.partitions.empty()) {
      // The partition table in the unit's first sector, if it has one.
      uint8_t sector[kSectorSize];
      if (!d.unit.locked && d.unit.sectors != 0 && ReadFirstSector(d, sector)) ParseMbrLayout(sector, d.layout);
    } else {
      // Partitions listed in machine.txt (an image-backed unit with a
      // listed table shows that table instead of its first sector's).
      if (d.enclosure == nullptr) d.bytes = sd.bytes;
      d.layout.signature = sd.signature;
      for (const SimPartition& sp : sd.partitions) {
        PartitionInfo p;
        p.startingOffset = sp.start;
        p.partitionLength = sp.length;
        p.hiddenSectors = static_cast<uint32_t>(sp.start / kSectorSize);
        p.partitionNumber = static_cast<uint32_t>(d.layout.partitions.size() + 1);
        p.partitionType = sp.type;
        p.bootIndicator = sp.boot;
        p.recognizedPartition = sp.recognized;
        d.layout.partitions.push_back(p);
      }
    }
    const bool cdrom = sd.media == Media::Cdrom;
    d.number = cdrom ? cdromNumber++ : diskNumber++;
    const std::wstring bus = d.disk->usb.empty() ? Lower(sd.bus) : L"usbstor";
    d.interfacePath = L"\\\\?\\" + bus + (cdrom ? L"#cdrom#" : L"#disk#") + Lower(sd.id) +
                      (cdrom ? L"#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}" : L"#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    disks.push_back(d);
  }

  for (size_t i = 0; i < machine.volumes.size(); ++i) {
    const SimVolume& sv = machine.volumes[i];
    ViewVolume v;
    v.volume = &sv;
    for (const ViewDisk& d : disks) {
      if (d.disk->id == sv.disk) v.disk = &d;
    }
    if (v.disk == nullptr) continue;  // its disk is not there
    const bool cdrom = v.disk->disk->media == Media::Cdrom;
    v.inst = cdrom ? v.disk->inst : kVolumeBase + static_cast<DevInst>(i);
    if (sv.partition == 0) {
      v.start = 0;
      v.length = static_cast<int64_t>(v.disk->bytes);
      v.mounted = !v.disk->unit.locked;
    } else if (static_cast<size_t>(sv.partition) <= v.disk->layout.partitions.size()) {
      const PartitionInfo& p = v.disk->layout.partitions[static_cast<size_t>(sv.partition - 1)];
      v.start = p.startingOffset;
      v.length = p.partitionLength;
      v.mounted = p.recognizedPartition;
    }
    v.interfacePath = VolumeInterfacePath(machine, sv);
    volumes.push_back(v);
  }
  // Pointers into `disks` are stable from here on.
  BuildTree();
  return true;
}

bool View::StillStands() const {
  std::string text;
  ReadTextFile(JoinPath(machine.dir, kMachineFile), text);
  if (text != machineText_) return false;
  return StatesStillStand() && SectorsStillStand();
}

bool View::StatesStillStand() const {
  std::string text;
  // A state file rewritten for the latch or a register (the busy indication
  // of every copy run) leaves the units, and with them this view, as they were.
  for (size_t i = 0; i < machine.enclosures.size(); ++i) {
    const SimEnclosure& e = machine.enclosures[i];
    const BridgeState now = LoadBridgeState(machine, e, &text);
    if (i >= stateTexts_.size()) return false;
    if (text != stateTexts_[i] && !SameUnits(e, states.at(e.id), now)) return false;
  }
  return true;
}

bool View::IsImage(const std::string& name) const {
  return std::any_of(machine.enclosures.begin(), machine.enclosures.end(),
                     [&](const SimEnclosure& e) { return e.image == name; });
}

bool View::IsStateFile(const std::string& name) const {
  return std::any_of(machine.enclosures.begin(), machine.enclosures.end(),
                     [&](const SimEnclosure& e) { return e.id + ".state" == name; });
}

bool View::ReadFrom(const std::string& image, uint64_t offset, uint64_t bytes) const {
  return std::any_of(sectors_.begin(), sectors_.end(), [&](const Sector& s) {
    return s.enclosure->image == image && offset < s.offset + kSectorSize && s.offset < offset + bytes;
  });
}

bool View::SectorsStillStand() const {
  std::array<uint8_t, kSectorSize> bytes{};
  for (const Sector& s : sectors_) {
    if (ReadImage(machine, *s.enclosure, s.offset, bytes.data(), kSectorSize) != s.status || bytes != s.bytes) {
      return false;
    }
  }
  return true;
}

namespace {

std::mutex viewsMutex;
std::map<std::string, std::shared_ptr<const View>> views;  // the last view of each machine
constexpr size_t kMostKeptViews = 16;

// One of this thread's writes into an image.
struct ImageWrite {
  std::string image;
  uint64_t offset = 0, bytes = 0;
};

// The pass on this thread (see ViewPass).
struct Pass {
  std::string dir;
  int depth = 0;
  std::shared_ptr<const View> view;  // checked within the pass
  uint64_t writes = 0;               // the process's own writes before that check
  std::vector<ImageWrite> imageWrites;  // this thread's writes into images since then
};
thread_local Pass pass;

// Whether the process's own writes since the pass's check were all this
// thread's image writes, none of them into a sector the view was made from.
// A run of writes to a disk goes on only while the bridges' states give the
// same units: a lock, a pull or a new split by another process shows at the
// next call, as it does outside a pass.
bool OnlyWritesBesideTheView(uint64_t writes) {
  if (writes - pass.writes != pass.imageWrites.size()) return false;
  return std::none_of(pass.imageWrites.begin(), pass.imageWrites.end(),
                      [](const ImageWrite& w) { return pass.view->ReadFrom(w.image, w.offset, w.bytes); }) &&
         pass.view->StatesStillStand();
}

// The view as it stands, checked against the machine's files.
std::shared_ptr<const View> CheckedView(const std::string& dir, std::string& error) {
  std::shared_ptr<const View> last;
  {
    std::lock_guard<std::mutex> lock(viewsMutex);
    auto it = views.find(dir);
    if (it != views.end()) last = it->second;
  }
  // Where the host's file times can vouch for the files, a view none of
  // whose files was touched since the last call stands without being read
  // again. The files' times are taken before any file is read below, so a
  // change made after that is told at the next call.
  static const std::vector<std::string> kFirstNames = {kMachineFile};
  const std::vector<std::string>* names = last == nullptr ? &kFirstNames : last->InputNames();
  const FileChanges changes = names != nullptr ? ChangesSince(dir, *names) : FileChanges{};
  if (last != nullptr) {
    if (!changes.unknown && changes.touched.empty()) return last;
    // Only images written (a format, a copy to the disk): their first
    // sectors are all the view took from them.
    const bool onlyImages = !changes.unknown && std::all_of(changes.touched.begin(), changes.touched.end(),
                                                            [&](const std::string& n) { return last->IsImage(n); });
    // Only state files rewritten (a register, the latch): the machine file
    // and the images were not touched.
    const bool onlyStates = !changes.unknown && std::all_of(changes.touched.begin(), changes.touched.end(),
                                                            [&](const std::string& n) { return last->IsStateFile(n); });
    if (onlyImages ? last->SectorsStillStand() : onlyStates ? last->StatesStillStand() : last->StillStands()) {
      return last;
    }
  }
  auto view = std::make_shared<View>();
  if (!view->Load(dir, error)) {
    std::lock_guard<std::mutex> lock(viewsMutex);
    views.erase(dir);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(viewsMutex);
  if (views.size() >= kMostKeptViews && views.count(dir) == 0) views.clear();
  views[dir] = view;
  return view;
}

}  // namespace

std::shared_ptr<const View> CurrentView(const std::string& dir, std::string& error) {
  const bool inPass = pass.depth > 0 && pass.dir == dir;
  const uint64_t writes = OwnWrites();
  if (inPass && pass.view != nullptr && (pass.writes == writes || OnlyWritesBesideTheView(writes))) {
    pass.writes = writes;
    pass.imageWrites.clear();
    return pass.view;
  }
  std::shared_ptr<const View> view = CheckedView(dir, error);
  if (inPass) {
    pass.view = view;
    pass.writes = writes;
    pass.imageWrites.clear();
  }
  return view;
}

std::shared_ptr<const View> CurrentView(const std::string& dir) {
  std::string error;
  return CurrentView(dir, error);
}

ViewPass::ViewPass(const std::string& dir) {
  if (dir.empty() || (pass.depth > 0 && pass.dir != dir)) return;
  if (pass.depth++ == 0) {
    pass.dir = dir;
    pass.view.reset();
  }
  active_ = true;
}

ViewPass::~ViewPass() {
  if (active_ && --pass.depth == 0) {
    pass.view.reset();
    pass.dir.clear();
    pass.imageWrites.clear();
  }
}

void NoteOwnImageWrite(const Machine& m, const SimEnclosure& e, uint64_t offset, uint64_t bytes) {
  NoteOwnWrite();
  if (pass.depth > 0 && pass.view != nullptr && pass.dir == m.dir) pass.imageWrites.push_back({e.image, offset, bytes});
}

void View::BuildTree() {
  auto link = [&](DevInst parent, DevInst child, const std::string& enumerator) {
    nodes[child].parent = parent;
    nodes[child].enumerator = enumerator;
    nodes[parent].children.push_back(child);
  };
  nodes[kRootInst];
  for (const ViewUsb& u : usb) link(kRootInst, u.inst, "USB");
  std::vector<const ViewDisk*> ordered;
  for (const ViewDisk& d : disks) ordered.push_back(&d);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const ViewDisk* a, const ViewDisk* b) { return a->disk->lun < b->disk->lun; });
  for (const ViewDisk* d : ordered) {
    const std::string enumerator = d->disk->bus == "scsi" || !d->disk->usb.empty() ? "SCSI" : "ESDI";
    const ViewUsb* above = nullptr;
    for (const ViewUsb& u : usb) {
      if (u.usb->id == d->disk->usb) above = &u;
    }
    if (above == nullptr) {
      link(kRootInst, d->inst, enumerator);
    } else if (machine.IsNt()) {
      link(above->inst, d->inst, "USBSTOR");
    } else {
      // Windows 98: the USB device, its mass-storage function, then the disk.
      const DevInst function = kStorageBase + (d->inst - kDiskBase);
      link(above->inst, function, "USBSTOR");
      link(function, d->inst, enumerator);
    }
  }
  link(kRootInst, kVolumeManagerInst, "ROOT");
  for (const ViewVolume& v : volumes) {
    if (!v.mounted || v.inst == v.disk->inst) continue;
    link(v.disk->disk->media == Media::Fixed ? kVolumeManagerInst : v.disk->inst, v.inst, "STORAGE");
  }
}

const ViewDisk* View::DiskByPath(const std::wstring& path) const {
  for (const ViewDisk& d : disks) {
    if (SameText(d.interfacePath, path)) return &d;
  }
  // "\\.\PhysicalDriveN"
  const std::wstring prefix = L"\\\\.\\physicaldrive";
  if (path.size() > prefix.size() && SameText(path.substr(0, prefix.size()), prefix)) {
    const std::wstring n = path.substr(prefix.size());
    for (const ViewDisk& d : disks) {
      if (d.disk->media != Media::Cdrom && std::to_wstring(d.number) == n) return &d;
    }
  }
  return nullptr;
}

const ViewDisk* View::DiskByInst(DevInst inst) const {
  for (const ViewDisk& d : disks) {
    if (d.inst == inst) return &d;
  }
  return nullptr;
}

const ViewVolume* View::VolumeByLetter(wchar_t letter) const {
  const wchar_t upper = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter)));
  for (const ViewVolume& v : volumes) {
    if (v.mounted && v.volume->letter != 0 && static_cast<wchar_t>(v.volume->letter) == upper) return &v;
  }
  return nullptr;
}

const ViewVolume* View::VolumeByPath(const std::wstring& path) const {
  for (const ViewVolume& v : volumes) {
    if (SameText(v.interfacePath, path)) return &v;
  }
  // "\\.\E:" or "E:\" or "E:"
  if (path.size() == 6 && path.compare(0, 4, L"\\\\.\\") == 0 && path[5] == L':') return VolumeByLetter(path[4]);
  if ((path.size() == 2 || path.size() == 3) && path[1] == L':' && (path.size() == 2 || path[2] == L'\\')) {
    return VolumeByLetter(path[0]);
  }
  return nullptr;
}

const ViewUsb* View::UsbByInst(DevInst inst) const {
  for (const ViewUsb& u : usb) {
    if (u.inst == inst) return &u;
  }
  return nullptr;
}

std::string View::HostDirectory(const ViewVolume& v) const { return machine.PathOf(v.volume->dir); }

std::string View::DriveLetters(const ViewDisk& d) const {
  std::vector<std::pair<int, char>> letters;
  for (const ViewVolume& v : volumes) {
    if (v.disk == &d && v.mounted && v.volume->letter != 0) letters.emplace_back(v.volume->partition, v.volume->letter);
  }
  std::stable_sort(letters.begin(), letters.end());
  std::string out;
  for (const auto& l : letters) out.push_back(l.second);
  return out;
}

std::vector<DriveMapping> MachineDriveMap(const std::string& dir) {
  std::vector<DriveMapping> out;
  std::string error;
  const auto view = CurrentView(dir, error);
  if (!view) return out;
  const Faults faults = LoadFaults(view->machine);
  for (const SimVolume& v : view->machine.volumes) {
    if (v.letter == 0 || v.dir.empty()) continue;
    DriveMapping d;
    d.letter = static_cast<wchar_t>(v.letter);
    d.hostDirectory = view->machine.PathOf(v.dir);
    d.capacityBytes = v.capacity;
    d.full = std::find(faults.full.begin(), faults.full.end(), v.letter) != faults.full.end();
    const ViewVolume* mounted = view->VolumeByLetter(d.letter);
    d.mounted = mounted != nullptr && mounted->volume == &v;
    out.push_back(d);
  }
  return out;
}

}  // namespace zel::sim
