#include "skin/region_runs.h"

#include <algorithm>

#include "common/bytes.h"

namespace zel::skin {
namespace {

uint32_t Swapped(Colour c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Reads pixel x of a row as the value KeyForDepth makes for its depth.
template <int Bits>
uint32_t Pixel(const uint8_t* row, int x, const uint32_t* palette) {
  if constexpr (Bits == 8) {
    return palette ? (palette[row[x]] & 0xFFFFFF) : row[x];
  } else if constexpr (Bits == 16) {
    return GetLe16(row + 2 * x);
  } else if constexpr (Bits == 24) {
    const uint8_t* p = row + 3 * x;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
  } else {
    return GetLe32(row + 4 * x);
  }
}

template <int Bits>
void CollectRuns(const PixelImage& image, uint32_t a, uint32_t b, std::vector<RowRun>& runs) {
  const size_t stride = RowStride(image.width, Bits);
  for (int y = 0; y < image.height; ++y) {
    size_t memoryRow = image.topDown ? static_cast<size_t>(y) : static_cast<size_t>(image.height - 1 - y);
    const uint8_t* row = image.bits + memoryRow * stride;
    int x = 0;
    while (x < image.width) {
      while (x < image.width) {
        uint32_t p = Pixel<Bits>(row, x, image.palette);
        if (p != a && p != b) break;
        ++x;
      }
      if (x == image.width) break;
      int start = x;
      while (x < image.width) {
        uint32_t p = Pixel<Bits>(row, x, image.palette);
        if (p == a || p == b) break;
        ++x;
      }
      if (runs.size() == runs.capacity()) runs.reserve(runs.capacity() + std::max<size_t>(40, runs.capacity()));
      runs.push_back({start, y, x});
    }
  }
}

}  // namespace

bool OutlineDepth(int bitsPerPixel) {
  return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

uint32_t KeyForDepth(Colour key, int bitsPerPixel) {
  uint32_t r = key & 0xFF, g = (key >> 8) & 0xFF, b = (key >> 16) & 0xFF;
  switch (bitsPerPixel) {
    case 16:
      return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    case 8:
    case 24:
    case 32:
      return Swapped(key & 0xFFFFFF);
    default:
      return key;
  }
}

std::vector<RowRun> OpaqueRuns(const PixelImage& image, Colour keyA, Colour keyB) {
  std::vector<RowRun> runs;
  if (!image.bits || image.width <= 0 || image.height <= 0 || !OutlineDepth(image.bitsPerPixel)) return runs;
  runs.reserve(static_cast<size_t>(image.height));
  uint32_t a = KeyForDepth(keyA, image.bitsPerPixel), b = KeyForDepth(keyB, image.bitsPerPixel);
  switch (image.bitsPerPixel) {
    case 8: CollectRuns<8>(image, a, b, runs); break;
    case 16: CollectRuns<16>(image, a, b, runs); break;
    case 24: CollectRuns<24>(image, a, b, runs); break;
    default: CollectRuns<32>(image, a, b, runs); break;
  }
  return runs;
}

std::vector<uint8_t> RegionData(const std::vector<RowRun>& runs, int dx, int dy) {
  constexpr size_t kHeader = 32, kRect = 16;
  std::vector<uint8_t> out(kHeader + kRect * runs.size());
  int left = 0, top = 0, right = 0, bottom = 0;
  uint8_t* p = out.data() + kHeader;
  for (size_t i = 0; i < runs.size(); ++i, p += kRect) {
    const RowRun& r = runs[i];
    int l = r.left + dx, t = r.top + dy, rt = r.right + dx, b = r.top + 1 + dy;
    if (i == 0) {
      left = l, top = t, right = rt, bottom = b;
    } else {
      left = std::min(left, l), top = std::min(top, t), right = std::max(right, rt), bottom = std::max(bottom, b);
    }
    PutLe32(p, static_cast<uint32_t>(l));
    PutLe32(p + 4, static_cast<uint32_t>(t));
    PutLe32(p + 8, static_cast<uint32_t>(rt));
    PutLe32(p + 12, static_cast<uint32_t>(b));
  }
  PutLe32(out.data(), 32);
  PutLe32(out.data() + 4, 1);
  PutLe32(out.data() + 8, static_cast<uint32_t>(runs.size()));
  PutLe32(out.data() + 12, static_cast<uint32_t>(kRect * runs.size()));
  PutLe32(out.data() + 16, static_cast<uint32_t>(left));
  PutLe32(out.data() + 20, static_cast<uint32_t>(top));
  PutLe32(out.data() + 24, static_cast<uint32_t>(right));
  PutLe32(out.data() + 28, static_cast<uint32_t>(bottom));
  return out;
}

}  // namespace zel::skin
