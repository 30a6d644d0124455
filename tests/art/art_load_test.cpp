// Under Windows: the made pictures load through the system the way the
// programs load them (files by name with LoadImage, resources by id), with
// the sizes the programs expect, and the sounds and icons are found as
// resources of their kinds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kBuild = ZEL_BUILD_DIR;

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}

TEST(ArtLoad, SecurityToolFilesLoadByName) {
  struct {
    const char* file;
    LONG width, height;
  } const files[] = {{"Bkgnd.bmp", 382, 424}, {"Btn1.bmp", 150, 32},    {"Btn2.bmp", 84, 26},
                     {"Logo.bmp", 160, 36},   {"URL.bmp", 200, 22},     {"MinWin.bmp", 18, 18},
                     {"ClsWin.bmp", 18, 18},  {"MesgBox1.bmp", 285, 121}, {"MesgBox2.bmp", 359, 119},
                     {"ErrMark.bmp", 32, 32}, {"WarnMark.bmp", 32, 32}, {"Partition.bmp", 446, 203}};
  for (const auto& f : files) {
    const std::string path = kBuild + "/Tessary/" + f.file;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr) << path << ": error " << GetLastError();
    const SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, f.width) << f.file;
    EXPECT_EQ(size.cy, f.height) << f.file;
    DeleteObject(bitmap);
  }
}

TEST(ArtLoad, PowerToolResourcesLoadById) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  struct {
    int id;
    LONG width, height;
  } const bitmaps[] = {{132, 326, 387}, {133, 47, 47}, {134, 47, 22}, {135, 19, 10},
                       {137, 19, 10},   {138, 28, 28}, {139, 28, 28}, {140, 285, 121},
                       {145, 32, 32},   {146, 32, 32}, {147, 32, 32}, {148, 32, 32},
                       {149, 359, 119}, {150, 125, 118}};
  for (const auto& b : bitmaps) {
    HBITMAP bitmap = LoadBitmapA(self, MAKEINTRESOURCEA(b.id));
    ASSERT_NE(bitmap, nullptr) << "bitmap " << b.id;
    const SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, b.width) << "bitmap " << b.id;
    EXPECT_EQ(size.cy, b.height) << "bitmap " << b.id;
    DeleteObject(bitmap);
  }
  for (int id : {141, 151, 152}) {
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), "WAVE");
    ASSERT_NE(found, nullptr) << "WAVE " << id;
    const char* data = static_cast<const char*>(LockResource(LoadResource(self, found)));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data, 4), "RIFF") << "WAVE " << id;
    EXPECT_EQ(std::string(data + 8, 4), "WAVE") << "WAVE " << id;
  }
  for (int id : {128, 143}) {
    HICON icon = static_cast<HICON>(LoadImageA(self, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(icon, nullptr) << "icon " << id;
    if (icon) DestroyIcon(icon);
  }
}

}  // namespace
