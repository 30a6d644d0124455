// Window regions made from pictures: every pixel that is not a key colour.
#pragma once
#include <windows.h>

#include <vector>

#include "skin/region_runs.h"

namespace zel::skin {

// The region of `bitmap`'s pixels that are neither key A nor key B, read in
// the display's pixel format (or at `depth` bits per pixel when non-zero:
// 8, 16, 24 or 32). The bitmap must not be selected into a device context.
// Its size goes to `width` and `height`. Null when the pixels cannot be
// read. A display of fewer than 8 bits per pixel is read at 32.
HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF keyA, COLORREF keyB, int depth = 0, int* width = nullptr,
                      int* height = nullptr);
// The outline of a picture with one key colour (black for every window of
// the suite).
inline HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF key, int* width = nullptr, int* height = nullptr) {
  return RegionFromBitmap(bitmap, key, key, 0, width, height);
}
// A region from runs, moved by (dx, dy), made in one call.
HRGN RegionFromRuns(const std::vector<RowRun>& runs, int dx = 0, int dy = 0);

// Sounds: WAVE resources of the program, played asynchronously. A program
// (or a test) may put its own player in place; 0 plays nothing.
using SoundPlayer = void (*)(int waveId);
void PlayWave(int waveId);
SoundPlayer SetSoundPlayer(SoundPlayer player);  // returns the previous one

// Bitmap resources of the program (face bitmaps, the power tool's box
// pictures). A program or a test may put its own loader in place; null
// restores the resource loader.
using ResourceBitmapLoader = HBITMAP (*)(int id);
void SetResourceBitmapLoader(ResourceBitmapLoader loader);
HBITMAP LoadResourceBitmap(int id);

}  // namespace zel::skin
