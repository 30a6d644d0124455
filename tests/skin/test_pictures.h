// Pictures made in code for the kit's tests and its demo: rounded panels
// and faces on black (the key colour) and round marks, as bitmaps or as
// .bmp files, so every test knows each pixel it shows.
#pragma once
#include <windows.h>

#include <string>

namespace zel::skin::test {

// A rounded panel of `fill` on black with a lighter top band of
// `bandHeight` rows and a darker bottom bar of `barHeight` rows.
HBITMAP MakePanel(int width, int height, int radius, COLORREF fill, int bandHeight = 0, int barHeight = 0);
// A round mark of `colour` on black with a white dot in its middle.
HBITMAP MakeMark(int size, COLORREF colour);
// Writes a 24-bit .bmp file of the bitmap; false when it cannot.
bool WriteBmp(const std::string& path, HBITMAP bitmap);
// True when the pixel of a 24-bit top-down copy of the bitmap is not black.
bool Opaque(HBITMAP bitmap, int x, int y);

// The program's picture when it has one, else a made one of the size the
// box pictures and faces have (backgrounds 140, 149, 150, face 134, marks
// 145..148).
HBITMAP ResourceOrMade(int id);
// The security tool's box files in the current directory, made when
// missing.
void EnsureBoxFiles();

}  // namespace zel::skin::test
