// Drive letters mapped to host directories, the way the simulated machine's
// volumes (and Wine's dosdevices) appear to a file-system adapter.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

struct DriveMapping {
  wchar_t letter = 0;
  std::string hostDirectory;
  uint64_t capacityBytes = 0;  // the volume's size; 0: not limited
  bool full = false;           // no byte more fits (a copy onto it fails with 112)
  bool mounted = false;        // the volume is there now
};

}  // namespace zel
