// corvex disks: the global disk list as discovery builds it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "cli/command.h"
#include "cli/json_text.h"
#include "common/discovery.h"
#include "common/text.h"

namespace zel::cli {

namespace {

std::string DiskJson(uint32_t index, const DiskRecord& d) {
  char identity[16];
  std::snprintf(identity, sizeof identity, "%08X", d.identity);
  std::string json = "{\"index\": " + std::to_string(index) + ", \"identity\": \"" + identity +
                     "\", \"enclosure\": " + (d.present ? "true" : "false") +
                     ", \"name\": " + JsonQuote(WideToUtf8(FieldText(d.friendlyName))) + ", \"volumes\": [";
  for (uint16_t k = 0; k < d.volumeCount && k < kMaxVolumes; ++k) {
    const VolumeEntry& v = d.volumes[k];
    const std::string letter = v.driveLetter != 0 ? std::string(1, static_cast<char>(v.driveLetter)) : "";
    json += std::string(k == 0 ? "" : ", ") + "{\"letter\": " + JsonQuote(letter) +
            ", \"label\": " + JsonQuote(WideToUtf8(FieldText(v.label))) +
            ", \"fileSystem\": " + JsonQuote(WideToUtf8(FieldText(v.fileSystem))) +
            ", \"totalMb\": " + std::to_string(v.totalMb) + ", \"freeMb\": " + std::to_string(v.freeMb) + "}";
  }
  return json + "]}";
}

void PrintDisk(uint32_t index, const DiskRecord& d) {
  std::printf("%2u  %08X%s  %s\n", index, d.identity, d.present ? " *" : "  ",
              WideToUtf8(FieldText(d.friendlyName)).c_str());
  for (uint16_t k = 0; k < d.volumeCount && k < kMaxVolumes; ++k) {
    const VolumeEntry& v = d.volumes[k];
    const char letter = v.driveLetter != 0 ? static_cast<char>(v.driveLetter) : '-';
    std::printf("      %c%s  \"%s\"  %s  %u MB, %u MB free\n", letter, v.driveLetter != 0 ? ":" : " ",
                WideToUtf8(FieldText(v.label)).c_str(), WideToUtf8(FieldText(v.fileSystem)).c_str(), v.totalMb,
                v.freeMb);
  }
}

}  // namespace

// Plain: a line per disk and one per volume. --quiet: the numbers of the
// enclosures' disks (those marked *), one a line, as corvex run --disk takes
// them. --json: {"disks": [...]} with every disk and volume.
int CorvexDisks(const Arguments& args) {
  const bool json = args.Has("--json");
  const bool quiet = args.Has("--quiet");
  if (json && quiet) {
    std::fprintf(stderr, "corvex disks: --json and --quiet do not go together\n");
    return 2;
  }
  CliPlatform platform;
  if (int status = platform.OpenForCommand("corvex disks", args); status != 0) {
    return status;
  }
  DiskList& list = GlobalDiskList();
  long result = 0;
  {
    const sim::ViewPass pass = platform.DevicePass();
    result = Discover(list);
  }
  std::string out;
  for (uint32_t i = 0; i < list.count && i < kMaxDisks; ++i) {
    const DiskRecord& d = list.disks[i];
    if (json) {
      out += std::string(out.empty() ? "" : ",\n  ") + DiskJson(i, d);
    } else if (quiet) {
      if (d.present) std::printf("%u\n", i);
    } else {
      PrintDisk(i, d);
    }
  }
  if (result != 0) {
    std::fprintf(stderr, "corvex disks: discovery stopped with system error %ld\n", result);
    return 1;
  }
  if (json) std::printf("{\"disks\": [%s%s]}\n", out.empty() ? "" : "\n  ", out.c_str());
  return 0;
}

}  // namespace zel::cli
