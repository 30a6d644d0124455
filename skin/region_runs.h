// The outline of a picture: every run of pixels that differ from the key
// colours, one row at a time, as one-row rectangles, and those rectangles
// laid out as the system's region data (a 32-byte header, then the
// rectangles) so that a window region is made from them in one call.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/button_rules.h"

namespace zel::skin {

// Pixels as the system hands them out: rows padded to 4 bytes, stored from
// the bottom row up unless `topDown`. 8 bits per pixel index `palette`
// (256 entries, each blue, green, red, reserved bytes); 16 bits per pixel
// are 5-6-5.
struct PixelImage {
  const uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  bool topDown = false;
  const uint32_t* palette = nullptr;
};

inline size_t RowStride(int width, int bitsPerPixel) {
  return (static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel) + 31) / 32 * 4;
}
// True for the depths the outline rule reads (8, 16, 24, 32).
bool OutlineDepth(int bitsPerPixel);

// A colour in the form a pixel of the depth holds it: 5-6-5 for 16 bits,
// 0x00RRGGBB for 24 and 32 bits and for the palette entries of 8 bits.
uint32_t KeyForDepth(Colour key, int bitsPerPixel);

// One-row rectangle [left, right) x [top, top + 1), in image coordinates
// with the top row at 0.
struct RowRun {
  int left, top, right;
  bool operator==(const RowRun&) const = default;
};

// Every maximal run of pixels that are neither key A nor key B, from the
// top row down and each row from left to right. An image of a depth the
// rule does not read yields no runs.
std::vector<RowRun> OpaqueRuns(const PixelImage& image, Colour keyA, Colour keyB);

// The runs as region data: header (size 32, type 1, count, 16 x count,
// bounds) then each rectangle as left, top, right, bottom, little-endian.
std::vector<uint8_t> RegionData(const std::vector<RowRun>& runs, int dx = 0, int dy = 0);

}  // namespace zel::skin
