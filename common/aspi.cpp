#include "common/aspi.h"

#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "common/disk_record.h"
#include "common/texts.h"
#include "ports/platform.h"

namespace zel {
namespace {

bool g_aspiLoaded = false;

// A request block with the data buffer the library writes into.
struct AspiRequest {
  AspiSrb srb;
  std::vector<uint8_t> data;
  uintptr_t event = 0;
};

// Requests whose wait timed out: the library may still write into them and
// signal their events, so they are kept until the library is released.
std::vector<std::unique_ptr<AspiRequest>>& Abandoned() {
  static std::vector<std::unique_ptr<AspiRequest>> requests;
  return requests;
}

void SetUpExec(AspiSrb& srb, uint8_t hostAdapter, uint8_t flags, const VendorCommand& c) {
  using namespace srb_offset;
  uint8_t* b = srb.bytes.data();
  b[kCmd] = kSrbExecScsiCmd;
  b[kHaId] = hostAdapter;
  b[kFlags] = flags;
  b[kTarget] = 0;
  b[kLun] = 0;
  PutLe32(b + kBufLen, c.dataLength);
  b[kSenseLen] = kAspiSenseLength;
  b[kCdbLen] = kCdbLength;
  std::memcpy(b + kCdb, c.cdb.data(), c.cdb.size());
}

void ShowVwin32Message(const wchar_t* tail) {
  Prompter* prompter = Ports().prompter;
  if (prompter == nullptr) return;
  prompter->MessageBox(0, TextWithTailW(L"MsgStr02", tail, L"Can not open vwin32.vxd."),
                       TextW(L"MsgCaption01", L"Error Message"), kMbOk | kMbIconError);
}

std::wstring RootOf(char driveLetter) {
  std::wstring root = L"?:\\";
  root[0] = static_cast<wchar_t>(static_cast<unsigned char>(driveLetter));
  return root;
}

}  // namespace

bool LoadAspi() {
  AspiPort* port = Ports().aspi;
  if (port == nullptr || !port->OpenLibrary(L"wnaspi32")) return false;
  if (!port->HasEntryPoint("SendASPI32Command") || !port->HasEntryPoint("GetASPI32SupportInfo") ||
      ((port->GetSupportInfo() >> 8) & 0xFF) != kSsComp) {
    port->CloseLibrary();
    return false;
  }
  g_aspiLoaded = true;
  return true;
}

bool LoadAspiCommandOnly() {
  AspiPort* port = Ports().aspi;
  if (port == nullptr || !port->OpenLibrary(L"wnaspi32")) return false;
  if (!port->HasEntryPoint("SendASPI32Command")) {
    port->CloseLibrary();
    return false;
  }
  g_aspiLoaded = true;
  return true;
}

void UnloadAspi() {
  if (!g_aspiLoaded) return;
  AspiPort* port = Ports().aspi;
  if (port != nullptr) port->CloseLibrary();
  for (const auto& request : Abandoned()) {
    if (port != nullptr && request->event != 0) port->CloseCompletionEvent(request->event);
  }
  Abandoned().clear();
  g_aspiLoaded = false;
}

bool AspiLoaded() { return g_aspiLoaded; }

bool AspiExecute(uint8_t hostAdapter, const VendorCommand& command, uint8_t* data,
                 AspiNoEvent noEvent) {
  AspiPort* port = Ports().aspi;
  if (port == nullptr || !g_aspiLoaded) return false;
  const bool in = command.direction == DataDirection::In;
  const uintptr_t event = port->CreateCompletionEvent();
  if (event == 0 && noEvent == AspiNoEvent::Fail) return false;

  auto request = std::make_unique<AspiRequest>();
  request->data.assign(command.dataLength, 0);
  if (!in && command.dataLength > 0 && data != nullptr) {
    std::memcpy(request->data.data(), data, command.dataLength);
  }
  uint8_t flags = in ? kSrbDirIn : kSrbDirOut;
  if (event != 0) flags |= kSrbEventNotify;
  SetUpExec(request->srb, hostAdapter, flags, command);
  request->srb.data = request->data.empty() ? nullptr : request->data.data();
  request->srb.event = event;
  request->event = event;

  if (event != 0) port->ResetCompletionEvent(event);
  if (port->SendCommand(request->srb) == kSsPending) {
    bool done = true;
    if (event != 0) {
      done = port->WaitCompletionEvent(event, kAspiWaitMs);
    } else {
      for (uint32_t waited = 0; request->srb.Status() == kSsPending && waited < kAspiWaitMs; ++waited) {
        port->Pause(1);
      }
      done = request->srb.Status() != kSsPending;
    }
    if (!done) {
      Abandoned().push_back(std::move(request));
      return false;
    }
  }
  if (event != 0) port->CloseCompletionEvent(event);
  if (request->srb.Status() != kSsComp) return false;
  if (in && command.dataLength > 0 && data != nullptr) {
    std::memcpy(data, request->data.data(), command.dataLength);
  }
  return true;
}

bool AspiHostAdapterCount(uint8_t& count) {
  AspiPort* port = Ports().aspi;
  if (port == nullptr || !g_aspiLoaded) return false;
  AspiSrb srb;
  srb.bytes[srb_offset::kCmd] = kSrbHaInquiry;
  srb.bytes[srb_offset::kHaId] = 0;
  port->SendCommand(srb);
  if (srb.Status() != kSsComp) return false;
  count = srb.bytes[srb_offset::kHaCount];
  return true;
}

Vwin32Result GetDriveMapInfo(char driveLetter, DriveMapRecord& record) {
  Vwin32Port* port = Ports().vwin32;
  std::unique_ptr<Vwin32Device> device = port != nullptr ? port->Open() : nullptr;
  if (device == nullptr) return Vwin32Result::CannotOpen;
  const char upper = (driveLetter >= 'a' && driveLetter <= 'z') ? static_cast<char>(driveLetter - 32) : driveLetter;
  if (upper < 'A' || upper > 'Z') return Vwin32Result::CallFailed;
  record.fill(0);
  record[drive_map_offset::kAllocationLength] = 16;
  record[drive_map_offset::kInfoLength] = 16;
  DosRegisters regs;
  regs.eax = 0x440D;
  regs.ecx = 0x486F;
  regs.ebx = static_cast<uint32_t>(upper - 'A' + 1);
  if (!device->DosIoctl(kVwin32DiocDosIoctl, regs, record) || (regs.flags & 1) != 0) {
    return Vwin32Result::CallFailed;
  }
  return Vwin32Result::Ok;
}

uint8_t ResolveAspiHostAdapter(char driveLetter) {
  DriveMapRecord record{};
  const Vwin32Result r = GetDriveMapInfo(driveLetter, record);
  if (r == Vwin32Result::CannotOpen) {
    ShowVwin32Message(L"vwin32.vxd!");
    return 0;
  }
  if (r != Vwin32Result::Ok) return kNoAspiAdapter;
  const uint8_t unit = record[drive_map_offset::kInt13Unit];
  // 0xFF is no Int 13h unit at all; it must not pair with adapters that
  // report none either.
  if (unit == 0xFF) return kNoAspiAdapter;
  uint8_t count = 0;
  if (!AspiHostAdapterCount(count)) return kNoAspiAdapter;
  AspiPort* port = Ports().aspi;
  for (uint8_t ha = 0; ha < count && ha != kNoAspiAdapter; ++ha) {
    AspiSrb srb;
    srb.bytes[srb_offset::kCmd] = kSrbGetDiskInfo;
    srb.bytes[srb_offset::kHaId] = ha;
    srb.bytes[srb_offset::kDiskTarget] = 0;
    srb.bytes[srb_offset::kDiskLun] = 0;
    srb.bytes[srb_offset::kDriveFlags] = 2;
    port->SendCommand(srb);
    if (srb.Status() == kSsComp && srb.bytes[srb_offset::kInt13Drive] == unit) return ha;
  }
  return kNoAspiAdapter;
}

namespace {

// INQUIRY bytes 8..31 (vendor and product) of the unit at target 0, LUN 0.
bool InquiryVendorProduct(uint8_t hostAdapter, std::string& out) {
  VendorCommand c;
  c.cdb = {0x12, 0, 0, 0, 36};
  c.direction = DataDirection::In;
  c.dataLength = 36;
  uint8_t reply[36] = {};
  if (!AspiExecute(hostAdapter, c, reply, AspiNoEvent::Fail)) return false;
  out.assign(reinterpret_cast<const char*>(reply + 8), 24);
  return true;
}

}  // namespace

bool AspiInquiryIdentity(uint8_t hostAdapter, std::string& vendorProduct) {
  return InquiryVendorProduct(hostAdapter, vendorProduct);
}

uint8_t ResolveAspiHostAdapterById(const std::string& hardwareId, char driveLetter) {
  std::string id = hardwareId;
  for (char& ch : id) {
    if (ch == '_') ch = ' ';
  }
  uint8_t count = 0;
  if (!AspiHostAdapterCount(count)) return kNoAspiAdapter;
  for (uint8_t ha = 0; ha < count && ha != kNoAspiAdapter; ++ha) {
    std::string vendorProduct;
    if (!InquiryVendorProduct(ha, vendorProduct)) continue;
    for (char& ch : vendorProduct) {
      if (ch == '_') ch = ' ';
    }
    if (id.size() < 24 || id.compare(0, 24, vendorProduct) != 0) continue;

    VolumeInfo info;
    uint32_t serial = 0;
    std::wstring fileSystem;
    if (StoragePort* storage = Ports().storage; storage != nullptr &&
        storage->VolumeInformation(RootOf(driveLetter), info) == 0) {
      serial = info.serialNumber;
      fileSystem = info.fileSystem.substr(0, 20);
    }
    DriveMapRecord record{};
    const Vwin32Result r = GetDriveMapInfo(driveLetter, record);
    if (r == Vwin32Result::CannotOpen) {
      ShowVwin32Message(L" vwin32.vxd!");
      return kNoAspiAdapter;
    }
    if (r != Vwin32Result::Ok) continue;
    const uint32_t block = static_cast<uint32_t>(GetLe64(record.data() + drive_map_offset::kPartitionStartRba));
    VendorCommand read;
    read.cdb = {0x28, 0, static_cast<uint8_t>(block >> 24), static_cast<uint8_t>(block >> 16),
                static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block), 0, 0, 1};
    read.direction = DataDirection::In;
    read.dataLength = 512;
    std::vector<uint8_t> sector(512, 0);
    if (!AspiExecute(ha, read, sector.data(), AspiNoEvent::Fail)) continue;
    const size_t at = fileSystem == L"FAT32" ? 67 : 39;
    if (GetLe32(sector.data() + at) == serial) return ha;
  }
  return kNoAspiAdapter;
}

}  // namespace zel
