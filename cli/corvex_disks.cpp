// corvex disks: the global disk list as discovery builds it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "cli/command.h"
#include "common/discovery.h"
#include "common/text.h"

namespace zel::cli {

int CorvexDisks(const std::vector<std::string>& args) {
  CliPlatform platform;
  if (int status = platform.OpenForCommand("corvex disks", "[--machine DIR]", args); status != 0) return status;
  DiskList& list = GlobalDiskList();
  const long result = Discover(list);
  for (uint32_t i = 0; i < list.count && i < kMaxDisks; ++i) {
    const DiskRecord& d = list.disks[i];
    std::printf("%2u  %08X%s  %s\n", i, d.identity, d.present ? " *" : "  ", WideToUtf8(FieldText(d.friendlyName)).c_str());
    for (uint16_t k = 0; k < d.volumeCount && k < kMaxVolumes; ++k) {
      const VolumeEntry& v = d.volumes[k];
      const char letter = v.driveLetter != 0 ? static_cast<char>(v.driveLetter) : '-';
      std::printf("      %c%s  \"%s\"  %s  %u MB, %u MB free\n", letter, v.driveLetter != 0 ? ":" : " ",
                  WideToUtf8(FieldText(v.label)).c_str(), WideToUtf8(FieldText(v.fileSystem)).c_str(), v.totalMb,
                  v.freeMb);
    }
  }
  if (result != 0) {
    std::fprintf(stderr, "corvex disks: discovery stopped with system error %ld\n", result);
    return 1;
  }
  return 0;
}

}  // namespace zel::cli
