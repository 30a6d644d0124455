// Partitioning and formatting the enclosure's disk into a public and a
// private part (the partition dialog's Start, and `tessary partition`).
#pragma once
#include <optional>
#include <string>

#include "security/part_layout.h"
#include "security/partition_sizes.h"
#include "security/progress.h"

namespace zel {

// The dialog or terminal that runs the procedure: it shows the progress and
// a busy state (wait cursor, Start unusable) while the disk is written.
class PartitionView : public ProgressSink {
 public:
  virtual void SetBusy(bool busy) = 0;
};

// Sizes as the enclosure reports them now: the capacities of the public and
// the private disk when it is partitioned, else the whole disk as public.
// Each capacity read gives the last block address, one short of the count.
// False when the status or a capacity cannot be read.
bool ReadPartitionSizes(PartitionSizes& out);

enum class PartitionOutcome { Declined, Completed, Failed };

// Asks first (MsgStr10); on Yes lays out the public part at sector 0 and the
// private part behind it (only when its size is not 0), then tells the
// bridge the public size, has both disks enumerated anew and reads the
// status back: partitioned and unlocked with a private part, not partitioned
// without one. Sizes without a public part are refused before the question
// (the bridge cannot split there). Before anything is written, both parts
// are checked against the disk: each must hold its layout and end within the
// current device's capacity. On any failed step the user is told (MsgStr11)
// and the progress returns to 0; after a failed layout the split is not sent.
PartitionOutcome PartitionAndFormat(const PartitionSizes& sizes, PartitionView& view);

// The parts the sizes call for, with their labels: the public part (text of
// `PublicName`) at sector 0, the private part (`PrivateName`) behind it, or
// at sector 0 when there is no public part. A label applies only when the
// language file has the key.
std::optional<PartPlan> PublicPart(const PartitionSizes& sizes);
std::optional<PartPlan> PrivatePart(const PartitionSizes& sizes);

}  // namespace zel
