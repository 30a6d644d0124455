// tessary partition --private-mb N: divides the disk into a public and a
// private disk and formats both, as the partition dialog's Start does.
#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "cli/tessary_terminal.h"
#include "common/texts.h"
#include "security/commands.h"
#include "security/partition_format.h"
#include "security/security_status.h"

namespace zel::cli {

int TessaryPartition(const Arguments& args) {
  const char* usage = "--private-mb N [--machine DIR] [--yes]";
  std::string mb;
  const bool haveMb = args.Value("--private-mb", mb);
  TessarySession session;
  if (int status = session.Open("tessary partition", usage, args)) return status;
  char* end = nullptr;
  const unsigned long position = haveMb ? std::strtoul(mb.c_str(), &end, 10) : 0;
  if (!haveMb || mb.empty() || *end != '\0' || mb[0] == '-') {
    std::fprintf(stderr, "usage: tessary partition %s\n", usage);
    return 2;
  }
  uint8_t status = 0;
  if (ReadSecurityStatus(0, status) && IsPartitioned(status)) {
    // The bridge splits only a whole disk: the split must be erased first.
    std::fprintf(stderr, "tessary partition: the disk is divided already; erase it first (tessary erase)\n");
    return 1;
  }
  PartitionSizes sizes;
  if (!ReadPartitionSizes(sizes)) {
    std::fprintf(stderr, "tessary partition: the disk's sizes cannot be read\n");
    return 1;
  }
  if (position > SliderMaximum(sizes)) {
    std::fprintf(stderr,
                 "tessary partition: the private disk can have at most %u MB (the public disk keeps at "
                 "least 1 MB)\n",
                 SliderMaximum(sizes));
    return 2;
  }
  sizes = SizesAtSlider(sizes.total, static_cast<uint32_t>(position));
  std::printf("%s %u Mbytes\n", TextA("PrvSzCaption", "Private Disk Size:").c_str(),
              sizes.privateSize / kSectorsPerMb);
  std::printf("%s %u Mbytes\n", TextA("PubSzCaption", "Public Disk Size:").c_str(),
              sizes.publicSize / kSectorsPerMb);
  TerminalProgress progress(static_cast<uint64_t>(sizes.total) * 512);
  // The split and the format are one run of commands to the enclosure: the
  // machine is looked at once, and again only after a write that changes
  // what it shows (the new table, the new split).
  PartitionOutcome outcome;
  {
    const sim::ViewPass pass = session.DevicePass();
    outcome = PartitionAndFormat(sizes, progress);
  }
  switch (outcome) {
    case PartitionOutcome::Completed:
      session.Rediscover();
      return 0;
    case PartitionOutcome::Declined:
      return 1;
    case PartitionOutcome::Failed:
      break;
  }
  return 1;
}

}  // namespace zel::cli
