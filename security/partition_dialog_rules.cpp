#include "security/partition_dialog_rules.h"

#include <cstdio>

namespace zel {
namespace {

std::string Megabytes(uint32_t mb) {
  char text[32];
  std::snprintf(text, sizeof text, "%u Mbytes", static_cast<unsigned>(mb));
  return text;
}

}  // namespace

bool PartitionDialogRules::Open() {
  sizes_ = PartitionSizes{};
  if (ReadPartitionSizes(sizes_)) {
    mask_ |= kMaskStart;
    return true;
  }
  sizes_ = PartitionSizes{};
  mask_ &= static_cast<uint8_t>(~kMaskStart);
  return false;
}

void PartitionDialogRules::MoveSlider(uint32_t position) {
  if (position > SliderMax()) position = SliderMax();
  sizes_ = SizesAtSlider(sizes_.total, position);
}

std::string PartitionDialogRules::PrivateSizeText() const { return Megabytes(sizes_.privateSize / kSectorsPerMb); }
std::string PartitionDialogRules::PublicSizeText() const { return Megabytes(sizes_.publicSize / kSectorsPerMb); }

PartitionOutcome PartitionDialogRules::Start() {
  if (!Usable(kMaskStart)) return PartitionOutcome::Declined;
  return PartitionAndFormat(sizes_, *this);
}

void PartitionDialogRules::SetBusy(bool busy) {
  if (busy) {
    mask_ &= static_cast<uint8_t>(~kMaskStart);
  } else {
    mask_ |= kMaskStart;
  }
  view_.SetBusy(busy);
}

}  // namespace zel
