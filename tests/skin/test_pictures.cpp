#include "tests/skin/test_pictures.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/window.h"

namespace zel::skin::test {
namespace {

HBITMAP Canvas(int w, int h, uint8_t** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* p = nullptr;
  HBITMAP b = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = static_cast<uint8_t*>(p);
  if (b) std::fill(*bits, *bits + ((w * 3 + 3) / 4 * 4) * h, 0);
  return b;
}

void Put(uint8_t* bits, int w, int x, int y, COLORREF c) {
  uint8_t* p = bits + static_cast<size_t>(y) * ((w * 3 + 3) / 4 * 4) + 3 * static_cast<size_t>(x);
  p[0] = GetBValue(c);
  p[1] = GetGValue(c);
  p[2] = GetRValue(c);
}

bool InRounded(int x, int y, int w, int h, int r) {
  const int cx = x < r ? r : x >= w - r ? w - 1 - r : x;
  const int cy = y < r ? r : y >= h - r ? h - 1 - r : y;
  const int dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= r * r;
}

COLORREF Shade(COLORREF c, int percent) {
  auto ch = [percent](int v) { return std::min(255, v * percent / 100); };
  return RGB(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
}

}  // namespace

HBITMAP MakePanel(int w, int h, int radius, COLORREF fill, int band, int bar) {
  uint8_t* bits = nullptr;
  HBITMAP b = Canvas(w, h, &bits);
  if (!b) return nullptr;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!InRounded(x, y, w, h, radius)) continue;
      COLORREF c = y < band ? Shade(fill, 140) : y >= h - bar ? Shade(fill, 60) : fill;
      if (c == RGB(0, 0, 0)) c = RGB(1, 1, 1);
      Put(bits, w, x, y, c);
    }
  ::GdiFlush();
  return b;
}

HBITMAP MakeMark(int size, COLORREF colour) {
  uint8_t* bits = nullptr;
  HBITMAP b = Canvas(size, size, &bits);
  if (!b) return nullptr;
  const int r = size / 2;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int dx = x - r, dy = y - r;
      if (dx * dx + dy * dy > r * r) continue;
      Put(bits, size, x, y, dx * dx + dy * dy <= (r / 4) * (r / 4) ? RGB(255, 255, 255) : colour);
    }
  ::GdiFlush();
  return b;
}

bool WriteBmp(const std::string& path, HBITMAP bitmap) {
  BITMAP bm{};
  if (!::GetObjectW(bitmap, sizeof bm, &bm)) return false;
  const int w = bm.bmWidth, h = bm.bmHeight, stride = (w * 3 + 3) / 4 * 4;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, static_cast<DWORD>(stride * h), 0, 0, 0, 0};
  std::vector<uint8_t> pixels(static_cast<size_t>(stride) * h);
  HDC dc = ::GetDC(nullptr);
  int rows = ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, dc);
  if (rows != h) return false;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
  const std::string part = path + ".part";
  std::FILE* f = std::fopen(part.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
            std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
  ok = std::fclose(f) == 0 && ok;
  std::remove(path.c_str());
  return ok && std::rename(part.c_str(), path.c_str()) == 0;
}

bool Opaque(HBITMAP bitmap, int x, int y) {
  BITMAP bm{};
  ::GetObjectW(bitmap, sizeof bm, &bm);
  const int w = bm.bmWidth, h = bm.bmHeight, stride = (w * 3 + 3) / 4 * 4;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint8_t> pixels(static_cast<size_t>(stride) * h);
  HDC dc = ::GetDC(nullptr);
  ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, dc);
  const uint8_t* p = pixels.data() + static_cast<size_t>(y) * stride + 3 * static_cast<size_t>(x);
  return p[0] || p[1] || p[2];
}

HBITMAP ResourceOrMade(int id) {
  HBITMAP own = static_cast<HBITMAP>(
      ::LoadImageW(fw::ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (own) return own;
  const COLORREF body = RGB(0x1B, 0x2D, 0x40);
  switch (id) {
    case 140: return MakePanel(285, 121, 10, body, 26, 40);
    case 149: return MakePanel(359, 119, 10, body, 26, 40);
    case 150: return MakePanel(125, 118, 10, body, 26, 40);
    case 134: return MakePanel(47, 22, 8, RGB(0xD8, 0xE3, 0xEC));
    case 145: return MakeMark(32, RGB(0xE5, 0x57, 0x5B));
    case 146: return MakeMark(32, RGB(0x8B, 0x7D, 0xF2));
    case 147: return MakeMark(32, RGB(0xF3, 0xA9, 0x3C));
    case 148: return MakeMark(32, RGB(0x3D, 0xB2, 0xE3));
    default: return nullptr;
  }
}

void EnsureBoxFiles() {
  struct File {
    const char* name;
    int id;
  };
  const File files[] = {{"MesgBox1.bmp", 140}, {"MesgBox2.bmp", 149}, {"ErrMark.bmp", 145},
                        {"QuesMark.bmp", 146}, {"WarnMark.bmp", 147}, {"InfoMark.bmp", 148}};
  for (const File& f : files) {
    if (::GetFileAttributesA(f.name) != INVALID_FILE_ATTRIBUTES) continue;
    HBITMAP b = ResourceOrMade(f.id);
    if (b) WriteBmp(f.name, b), ::DeleteObject(b);
  }
  if (::GetFileAttributesA("Btn2.bmp") == INVALID_FILE_ATTRIBUTES) {
    HBITMAP b = MakePanel(84, 26, 10, RGB(0xD8, 0xE3, 0xEC));
    if (b) WriteBmp("Btn2.bmp", b), ::DeleteObject(b);
  }
}

}  // namespace zel::skin::test
