#include "skin/dib_region.h"

#include <mmsystem.h>


#include "framework/window.h"

namespace zel::skin {
namespace {

struct InfoWithColours {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

void SystemPlayer(int waveId) {
  ::PlaySoundW(MAKEINTRESOURCEW(waveId), fw::ResourceModule(), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}
SoundPlayer g_player = &SystemPlayer;

HBITMAP ResourceLoader(int id) {
  return static_cast<HBITMAP>(
      ::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
ResourceBitmapLoader g_loader = &ResourceLoader;

}  // namespace

HRGN RegionFromRuns(const std::vector<RowRun>& runs, int dx, int dy) {
  std::vector<uint8_t> data = RegionData(runs, dx, dy);
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
}

HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF keyA, COLORREF keyB, int depth, int* width, int* height) {
  BITMAP bm{};
  if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm)) return nullptr;
  if (width) *width = bm.bmWidth;
  if (height) *height = bm.bmHeight;
  HDC ic = ::CreateICW(L"DISPLAY", nullptr, nullptr, nullptr);
  if (!ic) return nullptr;
  InfoWithColours info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  if (depth == 0) {
    // The display's format: the header alone first.
    ::GetDIBits(ic, bitmap, 0, static_cast<UINT>(bm.bmHeight), nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS);
    depth = info.header.biBitCount;
    if (!OutlineDepth(depth)) depth = 32;
  }
  info.header = {};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = bm.bmWidth;
  info.header.biHeight = bm.bmHeight;  // bottom row first
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(depth);
  info.header.biCompression = BI_RGB;
  // 16 bits per pixel are 5-6-5, the form the key is converted to; the
  // pixels are fetched at 32 bits and packed so, whatever 16-bit layout the
  // system would hand out.
  const int fetchDepth = depth == 16 ? 32 : depth;
  info.header.biBitCount = static_cast<WORD>(fetchDepth);
  const size_t stride = RowStride(bm.bmWidth, fetchDepth);
  info.header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(bm.bmHeight));
  std::vector<uint8_t> bits(info.header.biSizeImage + 4);
  int rows = ::GetDIBits(ic, bitmap, 0, static_cast<UINT>(bm.bmHeight), bits.data(),
                         reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ::DeleteDC(ic);
  if (rows != bm.bmHeight) return nullptr;
  if (depth == 16) {
    const size_t packedStride = RowStride(bm.bmWidth, 16);
    std::vector<uint8_t> packed(packedStride * static_cast<size_t>(bm.bmHeight) + 4);
    for (int y = 0; y < bm.bmHeight; ++y)
      for (int x = 0; x < bm.bmWidth; ++x) {
        const uint8_t* p = bits.data() + static_cast<size_t>(y) * stride + 4 * static_cast<size_t>(x);
        const COLORREF c = RGB(p[2], p[1], p[0]);
        const uint32_t v = KeyForDepth(c, 16);
        uint8_t* q = packed.data() + static_cast<size_t>(y) * packedStride + 2 * static_cast<size_t>(x);
        q[0] = static_cast<uint8_t>(v);
        q[1] = static_cast<uint8_t>(v >> 8);
      }
    bits.swap(packed);
  }
  PixelImage image{bits.data(), bm.bmWidth, bm.bmHeight, depth, false,
                   depth == 8 ? reinterpret_cast<const uint32_t*>(info.colours) : nullptr};
  return RegionFromRuns(OpaqueRuns(image, keyA, keyB));
}

void PlayWave(int waveId) {
  if (waveId != 0 && g_player) g_player(waveId);
}

SoundPlayer SetSoundPlayer(SoundPlayer player) {
  SoundPlayer previous = g_player;
  g_player = player;
  return previous;
}

void SetResourceBitmapLoader(ResourceBitmapLoader loader) { g_loader = loader ? loader : &ResourceLoader; }
HBITMAP LoadResourceBitmap(int id) { return g_loader(static_cast<int>(id)); }

}  // namespace zel::skin
