// Shapes a 1024 x 768 background (a rounded panel on black, with black
// holes and a ragged edge) the way a dialog's outline is made, and the same
// picture with a naive builder that reads every pixel's colour, makes a
// 1 x 1 rectangle of each opaque pixel and then unites neighbours. Prints
// both times (best of the repeats) and the ratio; fails when the two
// outlines differ or the outline takes 50 ms or more.
//   region_bench [REPEATS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/bytes.h"
#include "skin/region_runs.h"

namespace {

using Clock = std::chrono::steady_clock;
using zel::skin::RowRun;

constexpr int kWidth = 1024, kHeight = 768, kRadius = 60;

bool InsidePanel(int x, int y) {
  int cx = std::clamp(x, kRadius, kWidth - 1 - kRadius), cy = std::clamp(y, kRadius, kHeight - 1 - kRadius);
  int dx = x - cx, dy = y - cy;
  if (dx * dx + dy * dy > kRadius * kRadius) return false;
  if ((x / 16 + y / 16) % 7 == 0 && (x * 7 + y * 13) % 11 < 3) return false;  // holes
  if (x > kWidth - 8 && (y % 5) == 0) return false;                          // ragged right edge
  return true;
}

std::vector<uint8_t> Background() {
  std::vector<uint8_t> bits(zel::skin::RowStride(kWidth, 32) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      uint32_t v = InsidePanel(x, y) ? 0x203040u + static_cast<uint32_t>((x ^ y) & 0x3F) : 0;
      zel::PutLe32(bits.data() + (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4, v);
    }
  return bits;
}

// The naive peer: a colour read per pixel, one rectangle per opaque pixel,
// then a union pass that joins touching rectangles of a row.
std::vector<RowRun> NaiveRuns(const std::vector<uint8_t>& bits) {
  std::vector<RowRun> pixels;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* p = bits.data() + (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4;
      uint32_t colour = static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[1]) << 8 |
                        static_cast<uint32_t>(p[0]) << 16;
      if (colour != 0) pixels.push_back({x, y, x + 1});
    }
  std::vector<RowRun> united;
  for (const RowRun& r : pixels) {
    auto touching = std::find_if(united.rbegin(), united.rend(), [&r](const RowRun& u) {
      return u.top == r.top && u.right == r.left;
    });
    if (touching != united.rend())
      touching->right = r.right;
    else
      united.push_back(r);
  }
  return united;
}

template <class F>
double BestMs(int repeats, F f) {
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = argc > 1 ? std::atoi(argv[1]) : 5;
  if (repeats < 1) repeats = 1;
  std::vector<uint8_t> bits = Background();
  zel::skin::PixelImage image{bits.data(), kWidth, kHeight, 32, false, nullptr};

  std::vector<RowRun> runs, naive;
  size_t dataBytes = 0;
  double ours = BestMs(repeats, [&] {
    runs = zel::skin::OpaqueRuns(image, 0, 0);
    dataBytes = zel::skin::RegionData(runs).size();
  });
  double peer = BestMs(repeats, [&] { naive = NaiveRuns(bits); });

  std::printf("outline of %dx%d: %zu rectangles, %zu bytes of region data\n", kWidth, kHeight, runs.size(),
              dataBytes);
  std::printf("run builder    %8.2f ms\n", ours);
  std::printf("naive per-pixel %7.2f ms\n", peer);
  std::printf("ratio naive/ours %6.1f\n", peer / ours);
  if (runs != naive) {
    std::fprintf(stderr, "region_bench: the two outlines differ (%zu and %zu rectangles)\n", runs.size(),
                 naive.size());
    return 1;
  }
  if (ours >= 50.0) {
    std::fprintf(stderr, "region_bench: %.2f ms is not under 50 ms\n", ours);
    return 1;
  }
  return 0;
}
