// The decisions of the partition dialog: its sizes and slider, the two size
// texts, its button mask (1 Start, 2 Cancel) and its Start.
#pragma once
#include <cstdint>
#include <string>

#include "security/partition_format.h"

namespace zel {

enum : uint8_t { kMaskStart = 1, kMaskCancel = 2 };

class PartitionDialogRules : private PartitionView {
 public:
  // `view` shows the progress and the busy state while Start runs.
  explicit PartitionDialogRules(PartitionView& view) : view_(view) {}

  // Reads the sizes from the enclosure. When they cannot be read the slider
  // has no room and Start is not usable; false then.
  bool Open();
  // The slider moved to `position` megabytes of private disk.
  void MoveSlider(uint32_t position);
  uint32_t SliderMax() const { return SliderMaximum(sizes_); }
  uint32_t SliderPos() const { return SliderPosition(sizes_); }
  // "%d Mbytes" of each part.
  std::string PrivateSizeText() const;
  std::string PublicSizeText() const;

  uint8_t Mask() const { return mask_; }
  bool Usable(uint8_t bit) const { return (mask_ & bit) != 0; }
  const PartitionSizes& Sizes() const { return sizes_; }

  // Start: asks, lays the parts out and splits the disk; Completed ends the
  // dialog with OK, anything else keeps it open. Nothing while Start is not
  // usable.
  PartitionOutcome Start();

 private:
  void ShowProgress(uint8_t percent) override { view_.ShowProgress(percent); }
  void SetBusy(bool busy) override;

  PartitionView& view_;
  PartitionSizes sizes_;
  uint8_t mask_ = kMaskStart | kMaskCancel;
};

}  // namespace zel
