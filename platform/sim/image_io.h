// Reads and writes of an enclosure's disk image file. A process keeps the
// image open between requests (a format makes hundreds of them) and opens it
// again when the file at that path is another one (a machine made afresh).
#pragma once
#include <cstdint>
#include <string>

namespace zel::sim {

// 0, or 21 (not ready) when the image cannot be opened. Bytes past the end of
// the file read as zeros (the image is sparse).
long ReadImageFile(const std::string& path, uint64_t offset, uint8_t* buf, uint32_t bytes);
// 0, 21 when the image cannot be opened, 29 (write fault) when the write fails.
long WriteImageFile(const std::string& path, uint64_t offset, const uint8_t* buf, uint32_t bytes);

}  // namespace zel::sim
