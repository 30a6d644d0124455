// format_image IMAGE TOTAL_SECTORS HEADS SECTORS_PER_TRACK FIRST:COUNT[:LABEL]...
// Lays out and formats parts of an image file the way the security tool does
// on the enclosure's disk, for the checks with dosfstools and mtools.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image_disk.h"
#include "security/part_writer.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s IMAGE TOTAL HEADS SPT FIRST:COUNT[:LABEL]...\n", argv[0]);
    return 2;
  }
  zel::test::ImageDisk disk(argv[1], std::strtoull(argv[2], nullptr, 10),
                            static_cast<uint32_t>(std::atoi(argv[3])),
                            static_cast<uint32_t>(std::atoi(argv[4])));
  if (!disk.ok()) return 1;
  for (int i = 5; i < argc; ++i) {
    std::string spec = argv[i];
    zel::PartPlan plan;
    size_t colon = spec.find(':');
    plan.firstSector = std::strtoull(spec.substr(0, colon).c_str(), nullptr, 10);
    size_t colon2 = spec.find(':', colon + 1);
    plan.sectors = static_cast<uint32_t>(std::strtoul(spec.substr(colon + 1, colon2).c_str(), nullptr, 10));
    if (colon2 != std::string::npos) plan.label = spec.substr(colon2 + 1);
    zel::Progress progress(nullptr);
    if (!zel::WritePart(disk, plan, progress)) {
      std::fprintf(stderr, "part %s failed\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
