#include "security/partition_format.h"

#include <memory>

#include "common/texts.h"
#include "ports/platform.h"
#include "security/commands.h"
#include "security/exclusive_disk.h"
#include "security/messages.h"
#include "security/part_writer.h"
#include "security/security_device.h"
#include "security/security_status.h"

namespace zel {
namespace {

std::optional<std::string> PartLabel(uint64_t firstSector, uint32_t publicSize) {
  const char* key = firstSector == 0 && publicSize != 0 ? "PublicName" : "PrivateName";
  std::string label;
  if (!FindTextA(key, label) || label.empty()) return std::nullopt;
  return label;
}

struct Target {
  SecurityDevice device;
  uint64_t capacity = 0;  // sectors of the current device
};

// Everything the parts need is read and checked before the first write.
bool CheckParts(const std::optional<PartPlan>& pub, const std::optional<PartPlan>& priv,
                Target& target) {
  if (!FindSecurityDevice(0, target.device) || !Ports().storage) return false;
  uint32_t lastBlock = 0;
  if (!ReadCapacity(0, lastBlock)) return false;
  target.capacity = uint64_t{lastBlock} + 1;
  DiskGeometry g;
  if (Ports().storage->Geometry(target.device.path, g) != 0) return false;
  const TrackGeometry track{static_cast<uint8_t>(g.tracksPerCylinder),
                            static_cast<uint8_t>(g.sectorsPerTrack)};
  for (const auto* part : {&pub, &priv}) {
    if (!*part) continue;
    if (!PlanPartExtent((*part)->sectors, track)) return false;
    if ((*part)->firstSector + (*part)->sectors > target.capacity) return false;
  }
  return true;
}

bool LayOutPart(const Target& target, const PartPlan& part, Progress& progress) {
  std::unique_ptr<ExclusiveDisk> disk;
  if (ExclusiveDisk::Open(target.device.path, target.device.volumeLetters, target.capacity, disk) !=
      ExclusiveDisk::Result::Opened) {
    ShowSecurityMessage(msg::kSystemBusy);
    return false;
  }
  return WritePart(disk->Disk(), part, progress);
}

bool LayOutParts(const PartitionSizes& sizes, Progress& progress) {
  const std::optional<PartPlan> pub = PublicPart(sizes);
  const std::optional<PartPlan> priv = PrivatePart(sizes);
  Target target;
  if (!CheckParts(pub, priv, target)) return false;
  if (pub && !LayOutPart(target, *pub, progress)) return false;
  progress.Add(10);
  if (priv && !LayOutPart(target, *priv, progress)) return false;
  return true;
}

// The bridge's answer to the split, as the tool relies on it.
bool SplitTookEffect(const PartitionSizes& sizes) {
  uint8_t status = 0;
  if (!ReadSecurityStatus(0, status)) return false;
  if (sizes.privateSize == 0) return !IsPartitioned(status);
  return IsPartitioned(status) && !IsLocked(status);
}

}  // namespace

bool ReadPartitionSizes(PartitionSizes& out) {
  uint8_t status = 0;
  uint32_t publicSize = 0, privateSize = 0;
  if (!ReadSecurityStatus(0, status) || !ReadCapacity(0, publicSize)) return false;
  if (IsPartitioned(status) && !ReadCapacity(1, privateSize)) return false;
  if (publicSize > UINT32_MAX - privateSize) return false;  // beyond what the sizes can count
  out = PartitionSizes{publicSize, privateSize, publicSize + privateSize};
  return true;
}

std::optional<PartPlan> PublicPart(const PartitionSizes& s) {
  if (s.publicSize == 0) return std::nullopt;
  return PartPlan{0, s.publicSize, PartLabel(0, s.publicSize)};
}

std::optional<PartPlan> PrivatePart(const PartitionSizes& s) {
  if (s.privateSize == 0) return std::nullopt;
  return PartPlan{s.publicSize, s.privateSize, PartLabel(s.publicSize, s.publicSize)};
}

PartitionOutcome PartitionAndFormat(const PartitionSizes& sizes, PartitionView& view) {
  if (!SplitUsable(sizes)) {
    ShowSecurityMessage(msg::kFormatError);
    return PartitionOutcome::Failed;
  }
  if (!AskSecurityQuestion(msg::kFormatQuestion)) return PartitionOutcome::Declined;
  view.SetBusy(true);
  Progress progress(&view);
  progress.Set(10);
  progress.Set(20);
  bool done = LayOutParts(sizes, progress) && SetPartitionSize(0, sizes.publicSize);
  if (done) {
    RescanDevice(0);
    RescanDevice(1);
    done = SplitTookEffect(sizes);
  }
  if (!done) {
    ShowSecurityMessage(msg::kFormatError);
    view.SetBusy(false);
    progress.Set(0);
    return PartitionOutcome::Failed;
  }
  progress.Set(100);
  ShowSecurityMessage(msg::kFormatDone);
  view.SetBusy(false);
  return PartitionOutcome::Completed;
}

}  // namespace zel
