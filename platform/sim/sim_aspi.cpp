// ASPI for Win32 and the vwin32 drive map on a simulated Windows 98 machine.
// Host adapter n is the n-th SCSI disk of the machine (target 0, LUN 0);
// requests complete at once unless the aspi-timeout fault holds them.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/bytes.h"
#include "common/text.h"
#include "platform/sim/sim_ports.h"

namespace zel::sim {
namespace {

constexpr uint8_t kSsErr = 0x04, kSsInvalidHa = 0x81;

std::vector<const ViewDisk*> HostAdapters(const View& view) {
  std::vector<const ViewDisk*> out;
  for (const ViewDisk& d : view.disks) {
    if (d.disk->media != Media::Cdrom && (d.disk->bus == "scsi" || !d.disk->usb.empty())) out.push_back(&d);
  }
  return out;
}

void Execute(const View& view, const ViewDisk* unit, AspiSrb& srb) {
  using namespace srb_offset;
  uint8_t* b = srb.bytes.data();
  if (unit == nullptr || unit->enclosure == nullptr) {
    b[kStatus] = kSsErr;
    return;
  }
  BridgeRequest q;
  q.part = unit->disk->part;
  std::memcpy(q.cdb.data(), b + kCdb, std::min<size_t>(b[kCdbLen], 16));
  q.direction = (b[kFlags] & kSrbDirOut) != 0 ? DataDirection::Out : DataDirection::In;
  q.dataLength = GetLe32(b + kBufLen);
  if (q.direction == DataDirection::Out && srb.data != nullptr) q.dataOut.assign(srb.data, srb.data + q.dataLength);
  const BridgeReply r = ExecuteBridgeCommand(view.machine, *unit->enclosure, q);
  if (r.error != 0 || r.status != kScsiStatusGood) {
    b[kTargStat] = r.status;
    b[kStatus] = kSsErr;
    return;
  }
  if (q.direction == DataDirection::In && srb.data != nullptr) {
    std::copy(r.dataIn.begin(), r.dataIn.end(), srb.data);
  }
  b[kStatus] = kSsComp;
}

}  // namespace

bool SimAspi::OpenLibrary(const std::wstring& name) {
  std::string error;
  const auto view = CurrentView(dir_, error);
  if (!view || view->machine.IsNt() || LoadFaults(view->machine).aspiMissing) return false;
  if (!EqualsNoCaseWide(name, L"wnaspi32") && !EqualsNoCaseWide(name, L"wnaspi32.dll")) return false;
  loaded_ = true;
  return true;
}

bool SimAspi::HasEntryPoint(const char* name) {
  return loaded_ && (std::strcmp(name, "SendASPI32Command") == 0 || std::strcmp(name, "GetASPI32SupportInfo") == 0);
}

uint32_t SimAspi::GetSupportInfo() {
  std::string error;
  const auto view = CurrentView(dir_, error);
  if (!loaded_ || !view) return 0;
  return (static_cast<uint32_t>(kSsComp) << 8) | static_cast<uint32_t>(HostAdapters(*view).size() & 0xFF);
}

uint32_t SimAspi::SendCommand(AspiSrb& srb) {
  using namespace srb_offset;
  uint8_t* b = srb.bytes.data();
  std::string error;
  const auto view = CurrentView(dir_, error);
  if (!loaded_ || !view) return b[kStatus] = kSsErr;
  const std::vector<const ViewDisk*> adapters = HostAdapters(*view);
  const uint8_t ha = b[kHaId];
  switch (b[kCmd]) {
    case kSrbHaInquiry:
      b[kHaCount] = static_cast<uint8_t>(adapters.size());
      return b[kStatus] = kSsComp;
    case kSrbGetDiskInfo:
      if (ha >= adapters.size()) return b[kStatus] = kSsInvalidHa;
      b[kInt13Drive] = adapters[ha]->disk->bios >= 0 ? static_cast<uint8_t>(adapters[ha]->disk->bios) : 0xFF;
      return b[kStatus] = kSsComp;
    case kSrbExecScsiCmd:
      if (ha >= adapters.size()) return b[kStatus] = kSsInvalidHa;
      if (LoadFaults(view->machine).aspiTimeout) return b[kStatus] = kSsPending;
      Execute(*view, adapters[ha], srb);
      if ((b[kFlags] & kSrbEventNotify) != 0 && events_.count(srb.event) != 0) events_[srb.event] = true;
      // Requests with an event report pending and complete through it.
      return (b[kFlags] & kSrbEventNotify) != 0 ? uint32_t{kSsPending} : uint32_t{b[kStatus]};
    default:
      return b[kStatus] = kSsErr;
  }
}

uintptr_t SimAspi::CreateCompletionEvent() {
  std::string error;
  const auto view = CurrentView(dir_, error);
  if (!view || LoadFaults(view->machine).noEvent) return 0;
  const uintptr_t event = nextEvent_++;
  events_[event] = false;
  return event;
}

bool SimAspi::WaitCompletionEvent(uintptr_t event, uint32_t) {
  auto it = events_.find(event);
  return it != events_.end() && it->second;  // nothing else would signal it later
}

namespace {

class SimVwin32Device : public Vwin32Device {
 public:
  explicit SimVwin32Device(std::string dir) : dir_(std::move(dir)) {}
  bool DosIoctl(uint32_t code, DosRegisters& regs, DriveMapRecord& record) override {
    std::string error;
    const auto view = CurrentView(dir_, error);
    if (code != kVwin32DiocDosIoctl || !view) return false;
    regs.flags |= 1;  // carry: failed until answered
    if (regs.eax != 0x440D || regs.ecx != 0x486F || regs.ebx < 1 || regs.ebx > 26) return true;
    const ViewVolume* v = view->VolumeByLetter(static_cast<wchar_t>(L'A' + regs.ebx - 1));
    if (v == nullptr) return true;
    record[drive_map_offset::kFlags] = 0;
    record[drive_map_offset::kInt13Unit] = v->disk->disk->bios >= 0 ? static_cast<uint8_t>(v->disk->disk->bios) : 0xFF;
    PutLe32(record.data() + drive_map_offset::kAssociatedDriveMap, 1u << (regs.ebx - 1));
    PutLe64(record.data() + drive_map_offset::kPartitionStartRba, static_cast<uint64_t>(v->start) / kSectorSize);
    regs.flags &= ~1u;
    return true;
  }

 private:
  std::string dir_;
};

}  // namespace

std::unique_ptr<Vwin32Device> SimVwin32::Open() {
  std::string error;
  const auto view = CurrentView(dir_, error);
  if (!view || view->machine.IsNt() || LoadFaults(view->machine).vwin32Missing) return nullptr;
  return std::make_unique<SimVwin32Device>(dir_);
}

uint32_t SimSystem::TickCount() {
  if (host != nullptr) return host->TickCount();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

OsVersion SimSystem::Version() {
  Machine m;
  std::string error;
  return LoadMachine(dir_, m, error) ? m.version : OsVersion{5, 1, 2600};
}

std::wstring SimSystem::CurrentDirectory() {
  if (host != nullptr) return host->CurrentDirectory();
  return std::filesystem::current_path().wstring();
}

bool SimSystem::ChangeDirectory(const std::wstring& dir) {
  if (host != nullptr) return host->ChangeDirectory(dir);
  std::error_code ec;
  std::filesystem::current_path(std::filesystem::path(dir), ec);
  return !ec;
}

void SimSystem::Sleep(uint32_t ms) {
  if (host != nullptr) return host->Sleep(ms);
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SimMachinePorts::Fill(Platform& ports) {
  if (ports.system != &system) system.host = ports.system;
  ports.system = &system;
  ports.registry = &registry;
  ports.deviceTree = &deviceTree;
  ports.storage = &storage;
  ports.scsi = &scsi;
  ports.aspi = &aspi;
  ports.vwin32 = &vwin32;
}

}  // namespace zel::sim
