// The kit's window side under Wine: outlines made from bitmaps of every
// depth, the shaped dialog's region and drag, the skinned button's setters,
// mouse handling and radio groups, and the message box's results and sounds.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/window.h"
#include "skin/dib_region.h"
#include "skin/fx_button.h"
#include "skin/shaped_dialog.h"
#include "skin/skin_message_box.h"
#include "tests/skin/test_pictures.h"

namespace zel::skin {
namespace {

// A panel with holes and a right edge that is opaque on some rows.
HBITMAP HoledPanel() {
  HBITMAP b = test::MakePanel(61, 40, 9, RGB(200, 120, 40), 8, 8);
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, b);
  RECT hole{20, 15, 27, 22};
  ::FillRect(dc, &hole, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  for (int y = 12; y < 30; ++y) ::SetPixel(dc, 60, y, RGB(200, 120, 40));
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return b;
}

// Every pixel of the bitmap: inside the region exactly when not black.
void ExpectOutline(HRGN region, HBITMAP bitmap, int dx, int dy, const std::string& what) {
  BITMAP bm{};
  ::GetObjectW(bitmap, sizeof bm, &bm);
  int wrong = 0;
  for (int y = 0; y < bm.bmHeight; ++y)
    for (int x = 0; x < bm.bmWidth; ++x)
      if ((::PtInRegion(region, x + dx, y + dy) != FALSE) != test::Opaque(bitmap, x, y)) ++wrong;
  EXPECT_EQ(wrong, 0) << what;
}

// A copy of the bitmap at `bits` per pixel, stored bottom row first as
// pictures loaded from files and resources are.
HBITMAP BottomUpCopy(HBITMAP source, int bits) {
  BITMAP bm{};
  ::GetObjectW(source, sizeof bm, &bm);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, bm.bmHeight, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
  void* p = nullptr;
  HBITMAP copy = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  HDC from = ::CreateCompatibleDC(nullptr), to = ::CreateCompatibleDC(nullptr);
  HGDIOBJ oldFrom = ::SelectObject(from, source), oldTo = ::SelectObject(to, copy);
  ::BitBlt(to, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
  ::SelectObject(from, oldFrom);
  ::SelectObject(to, oldTo);
  ::DeleteDC(from);
  ::DeleteDC(to);
  return copy;
}

TEST(SkinWindows, OutlineMatchesNonBlackPixelsAtEveryDepth) {
  HBITMAP b = HoledPanel();
  ASSERT_NE(b, nullptr);
  // The panel itself is stored top row first; its copies bottom row first.
  for (HBITMAP picture : {b, BottomUpCopy(b, 24), BottomUpCopy(b, 32)}) {
    for (int depth : {0, 8, 16, 24, 32}) {
      int w = 0, h = 0;
      HRGN r = RegionFromBitmap(picture, RGB(0, 0, 0), RGB(0, 0, 0), depth, &w, &h);
      ASSERT_NE(r, nullptr) << depth;
      EXPECT_EQ(w, 61);
      EXPECT_EQ(h, 40);
      ExpectOutline(r, b, 0, 0, "depth " + std::to_string(depth));
      ::DeleteObject(r);
    }
    if (picture != b) ::DeleteObject(picture);
  }
  ::DeleteObject(b);
}

// Runs `checks` inside a modal dialog of template `id` once it is up.
class CCheckedDialog : public CShapedDialog {
 public:
  CCheckedDialog(UINT id, std::function<void(CCheckedDialog&)> setUp, std::function<void(CCheckedDialog&)> checks)
      : CShapedDialog(id), setUp_(std::move(setUp)), checks_(std::move(checks)) {}
  using CShapedDialog::SetUpShape;
  std::vector<int> clicks;

 protected:
  bool OnInitDialog() override {
    setUp_(*this);
    Post(WM_APP);
    return true;
  }
  bool HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (message == WM_APP) {
      checks_(*this);
      EndDialog(0);
      return true;
    }
    if (message == WM_COMMAND && HIWORD(wp) == BN_CLICKED) clicks.push_back(LOWORD(wp));
    return CShapedDialog::HandleMessage(message, wp, lp, result);
  }

 private:
  std::function<void(CCheckedDialog&)> setUp_, checks_;
};

// The pointer really goes to the point (the button looks at the cursor's
// window while it holds the mouse), then the button hears of the move.
void MoveOver(CFxButton& b, int x, int y, WPARAM keys) {
  POINT p{x, y};
  ::ClientToScreen(b.Handle(), &p);
  ::SetCursorPos(p.x, p.y);
  b.Send(WM_MOUSEMOVE, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

int g_hoverSounds = 0;
constexpr int kHoverSound = 77;
void CountHoverSound(int id) { g_hoverSounds += id == kHoverSound; }

void Pump() {
  MSG m;
  while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&m);
    ::DispatchMessageW(&m);
  }
}

TEST(SkinWindows, ShapedDialogTakesTheOutlineAndDragsByTheMouse) {
  HBITMAP shapeCopy = HoledPanel();
  bool ran = false;
  CCheckedDialog dialog(
      311, [](CCheckedDialog& d) { d.SetUpShape(HoledPanel(), nullptr); },
      [&](CCheckedDialog& d) {
        ran = true;
        RECT before{};
        ::GetWindowRect(d.Handle(), &before);
        EXPECT_EQ(before.right - before.left, 61);
        EXPECT_EQ(before.bottom - before.top, 40);
        HRGN r = ::CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(::GetWindowRgn(d.Handle(), r), ERROR);
        ExpectOutline(r, shapeCopy, 0, 0, "window region");
        ::DeleteObject(r);
        // Drag: pressed at (30, 10), moved to (47, 4): the window follows by
        // exactly (+17, -6); releasing ends the drag.
        d.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
        EXPECT_TRUE(d.Dragging());
        d.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(47, 4));
        d.Send(WM_LBUTTONUP, 0, MAKELPARAM(47, 4));
        EXPECT_FALSE(d.Dragging());
        RECT after{};
        ::GetWindowRect(d.Handle(), &after);
        EXPECT_EQ(after.left - before.left, 17);
        EXPECT_EQ(after.top - before.top, -6);
        d.Send(WM_MOUSEMOVE, 0, MAKELPARAM(80, 80));
        RECT still{};
        ::GetWindowRect(d.Handle(), &still);
        EXPECT_EQ(still.left, after.left);
      });
  ASSERT_EQ(dialog.DoModal(nullptr), 0);
  EXPECT_TRUE(ran);
  ::DeleteObject(shapeCopy);
}

TEST(SkinWindows, ButtonSettersMouseAndRadioGroup) {
  CFxButton push, one, two, three, check;
  bool ran = false;
  CCheckedDialog dialog(
      310,
      [&](CCheckedDialog& d) {
        push.SubclassDlgItem(3001, d);
        one.SubclassDlgItem(3011, d);
        two.SubclassDlgItem(3012, d);
        three.SubclassDlgItem(3013, d);
        check.SubclassDlgItem(3021, d);
        push.SetStateBlend(255, false, 255, 90, 255);
        push.SetStateBlend(150, false, 30, 255, 255);
        push.SetSounds(0, kHoverSound);
        push.Apply(nullptr, 0, 0);
        for (CFxButton* b : {&one, &two, &three}) b->Apply(nullptr, 0, b == &one ? 1 : 0);
        check.Apply(nullptr, 0, 0);
      },
      [&](CCheckedDialog& d) {
        ran = true;
        EXPECT_EQ(push.Kind(), kKindPush);
        EXPECT_EQ(one.Kind(), kKindRadio);
        EXPECT_EQ(check.Kind(), kKindCheckBox);
        EXPECT_EQ(::GetWindowLongPtrW(push.Handle(), GWL_STYLE) & 0xF, BS_OWNERDRAW);
        EXPECT_EQ(push.BlendOf(kStateNormal), 150);
        EXPECT_EQ(push.BlendOf(kStatePressed), 30);
        EXPECT_EQ(push.BlendOf(kStateHover), 90);
        EXPECT_EQ(push.BlendOf(kStateDisabled), 255);
        EXPECT_TRUE(push.Ready());

        // Radio group: the user checks "Three"; "One" lets go through the
        // posted message.
        Pump();
        EXPECT_EQ(one.Check(), 1);
        three.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        three.Send(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        EXPECT_EQ(three.Check(), 1);
        EXPECT_EQ(one.Check(), 1);  // not yet: the message is posted
        Pump();
        EXPECT_EQ(one.Check(), 0);
        EXPECT_EQ(two.Check(), 0);
        EXPECT_EQ(three.Check(), 1);
        // A check box toggles on release over it and on space.
        check.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        check.Send(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        EXPECT_EQ(check.Check(), 1);
        check.Send(WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(check.Check(), 0);
        check.Send(WM_KEYUP, VK_SPACE, 0);
        // Push buttons stay unchecked.
        push.Send(BM_SETCHECK, 1);
        EXPECT_EQ(push.Check(), 0);

        // Press, move off, release elsewhere: no click; moving back on
        // before the release shows it pressed again.
        Pump();
        d.clicks.clear();
        const LPARAM inside = MAKELPARAM(5, 5), outside = MAKELPARAM(200, 150);
        MoveOver(push, 5, 5, 0);
        push.Send(WM_LBUTTONDOWN, MK_LBUTTON, inside);
        EXPECT_EQ(::GetCapture(), push.Handle());
        EXPECT_TRUE(push.Send(BM_GETSTATE) & BST_PUSHED);
        MoveOver(push, 200, 150, MK_LBUTTON);
        EXPECT_FALSE(push.Send(BM_GETSTATE) & BST_PUSHED);
        MoveOver(push, 5, 5, MK_LBUTTON);
        EXPECT_TRUE(push.Send(BM_GETSTATE) & BST_PUSHED);
        MoveOver(push, 200, 150, MK_LBUTTON);
        push.Send(WM_LBUTTONUP, 0, outside);
        Pump();
        EXPECT_TRUE(d.clicks.empty());
        EXPECT_FALSE(push.Send(BM_GETSTATE) & BST_PUSHED);
        // Entering with the left button already down does not press it,
        // nor does it sound or look like a hover.
        SoundPlayer previous = SetSoundPlayer(&CountHoverSound);
        g_hoverSounds = 0;
        MoveOver(push, 5, 5, MK_LBUTTON);
        EXPECT_FALSE(push.Send(BM_GETSTATE) & BST_PUSHED);
        EXPECT_EQ(g_hoverSounds, 0);
        push.Send(WM_LBUTTONUP, 0, inside);
        Pump();
        EXPECT_TRUE(d.clicks.empty());
        // Resting over the button turns on its hover look, with its sound;
        // leaving ends it.
        MoveOver(push, 6, 6, 0);
        EXPECT_EQ(g_hoverSounds, 1);
        SetSoundPlayer(previous);
        for (int i = 0; i < 40 && !push.Hovering(); ++i) {
          ::Sleep(10);
          Pump();
        }
        EXPECT_TRUE(push.Hovering());
        POINT away{190, 110};
        ::ClientToScreen(d.Handle(), &away);
        ::SetCursorPos(away.x, away.y);
        for (int i = 0; i < 60 && push.Hovering(); ++i) {
          ::Sleep(10);
          Pump();
        }
        EXPECT_FALSE(push.Hovering());
        // A whole press and release over it clicks once.
        push.Send(WM_LBUTTONDOWN, MK_LBUTTON, inside);
        push.Send(WM_LBUTTONUP, 0, inside);
        Pump();
        EXPECT_EQ(d.clicks, std::vector<int>{3001});
      });
  ASSERT_EQ(dialog.DoModal(nullptr), 0);
  EXPECT_TRUE(ran);
}

// A face drawn by the button into a picture of its own: the draw request the
// dialog would send, with the given item state.
struct Drawn {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // 24-bit, top row first
  COLORREF At(int x, int y) const {
    const uint8_t* p = pixels.data() + static_cast<size_t>(y) * ((width * 3 + 3) / 4 * 4) + 3 * static_cast<size_t>(x);
    return RGB(p[2], p[1], p[0]);
  }
  COLORREF Centre() const { return At(width / 2, height / 2); }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += At(x, y) == c;
    return n;
  }
};

Drawn DrawButton(CFxButton& b, UINT itemState) {
  Drawn out;
  RECT r{};
  ::GetClientRect(b.Handle(), &r);
  out.width = r.right;
  out.height = r.bottom;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), out.width, -out.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP canvas = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, canvas);
  DRAWITEMSTRUCT item{ODT_BUTTON, static_cast<UINT>(::GetDlgCtrlID(b.Handle())), 0, ODA_DRAWENTIRE, itemState,
                      b.Handle(), dc, r, 0};
  b.Send(fw::kReflect + WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
  ::GdiFlush();
  const uint8_t* p = static_cast<const uint8_t*>(bits);
  out.pixels.assign(p, p + static_cast<size_t>((out.width * 3 + 3) / 4 * 4) * out.height);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(canvas);
  return out;
}

constexpr int kSolidFace = 900, kRoundedFace = 901;
HBITMAP MadeFace(int id) {
  if (id == kSolidFace) return test::MakePanel(20, 10, 0, RGB(255, 255, 255));
  if (id == kRoundedFace) return test::MakePanel(20, 10, 4, RGB(255, 255, 255));  // black corners
  return nullptr;
}

bool Near(COLORREF got, int level) {
  for (int v : {GetRValue(got), GetGValue(got), GetBValue(got)})
    if (v < level - 1 || v > level + 1) return false;
  return true;
}

TEST(SkinWindows, FacesDrawAtTheirLevelsMaskedByTheirKeysAndEmbossedWhenDisabled) {
  SetResourceBitmapLoader(&MadeFace);
  CFxButton push, allKeyed, normalKeyed;
  const COLORREF black = RGB(0, 0, 0), lilac = RGB(100, 100, 200), blue = RGB(0, 0, 200);
  bool ran = false;
  CCheckedDialog dialog(
      310,
      [&](CCheckedDialog& d) {
        push.SubclassDlgItem(3001, d);
        allKeyed.SubclassDlgItem(3011, d);
        normalKeyed.SubclassDlgItem(3021, d);
        // A white face over black, so that a drawn pixel reads its level;
        // the disabled state has a fill of its own and no face of its own.
        push.SetStateBitmaps(kSolidFace, true);
        push.SetStateBorderDepths(0, true);
        push.SetStateBackgroundColors(black, true, CFxButton::FaceColour(), CFxButton::FaceColour(), lilac);
        push.SetFocusBlendBoost(50);
        push.Apply(nullptr, kNoText | kNoFocusRect, 0);
        for (CFxButton* b : {&allKeyed, &normalKeyed}) {
          b->SetStateBitmaps(kRoundedFace, true);
          b->SetStateBorderDepths(0, true);
          b->SetStateBackgroundColors(blue, true);
        }
        allKeyed.SetStateKeyColor(black, true);
        normalKeyed.SetStateKeyColor(black, false);
        allKeyed.Apply(nullptr, kNoText | kNoFocusRect, 0);
        normalKeyed.Apply(nullptr, kNoText | kNoFocusRect, 0);
      },
      [&](CCheckedDialog&) {
        ran = true;
        // Blend levels, and the focus boost clamped to 255.
        push.SetStateBlend(150, true);
        EXPECT_TRUE(Near(DrawButton(push, 0).Centre(), 150));
        EXPECT_TRUE(Near(DrawButton(push, ODS_FOCUS).Centre(), 200));
        push.SetStateBlend(230, true);
        EXPECT_TRUE(Near(DrawButton(push, 0).Centre(), 230));
        EXPECT_EQ(DrawButton(push, ODS_FOCUS).Centre(), RGB(255, 255, 255));
        // Disabled without a face of its own: the normal face embossed, the
        // shade one pixel up and left of the highlight, which shows only
        // along the face's right column and bottom row (10 + 20 - 1).
        Drawn disabled = DrawButton(push, ODS_DISABLED);
        EXPECT_EQ(disabled.Centre(), EmbossShade(lilac));
        EXPECT_EQ(disabled.Count(EmbossHighlight(lilac)), 29);

        // The key colour set with apply-to-all masks every state; without
        // it only the normal state.
        for (int state : {kStateNormal, kStatePressed, kStateHover, kStateDisabled}) {
          EXPECT_NE(allKeyed.MaskRegionOf(state), nullptr) << state;
          EXPECT_EQ(normalKeyed.MaskRegionOf(state) != nullptr, state == kStateNormal) << state;
        }
        RECT face{};
        ASSERT_NE(::GetRgnBox(allKeyed.MaskRegionOf(kStatePressed), &face), NULLREGION);
        EXPECT_EQ(face.right - face.left, 20);
        EXPECT_EQ(face.bottom - face.top, 10);
        Drawn pressed = DrawButton(allKeyed, ODS_SELECTED);
        EXPECT_EQ(pressed.At(face.left, face.top), blue);  // a black corner of the face, cut out
        EXPECT_EQ(pressed.At(face.left + 10, face.top + 5), RGB(255, 255, 255));
        Drawn unmasked = DrawButton(normalKeyed, ODS_SELECTED);
        EXPECT_EQ(unmasked.At(face.left, face.top), black);  // drawn whole
      });
  ASSERT_EQ(dialog.DoModal(nullptr), 0);
  EXPECT_TRUE(ran);
  SetResourceBitmapLoader(nullptr);
}

// The whole outline of a 1024 x 768 background: the pixels read in the
// display's format, the runs and the region made in one call.
TEST(SkinWindows, ALargeBackgroundIsShapedQuickly) {
  HBITMAP b = test::MakePanel(1024, 768, 60, RGB(0x1B, 0x2D, 0x40), 30, 46);
  ASSERT_NE(b, nullptr);
  double best = 1e9;  // the best of five: the first call also loads the display driver
  for (int i = 0; i < 5; ++i) {
    LARGE_INTEGER f, t0, t1;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t0);
    HRGN r = RegionFromBitmap(b, RGB(0, 0, 0));
    ::QueryPerformanceCounter(&t1);
    ASSERT_NE(r, nullptr);
    ::DeleteObject(r);
    best = std::min(best, 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart));
  }
  std::printf("shaping 1024x768: %.2f ms\n", best);
  EXPECT_LT(best, 50.0);
  ::DeleteObject(b);
}

// Message boxes: a thread timer presses a button of the box once it shows.
std::vector<std::string> g_events;
int g_pressId = 0;

void RecordSound(int id) { g_events.push_back("sound " + std::to_string(id)); }

BOOL CALLBACK FindBox(HWND hwnd, LPARAM out) {
  if (::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, g_pressId)) {
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK PressWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
  if (!box) return;
  ::KillTimer(nullptr, timer);
  g_events.push_back("shown");
  HWND button = ::GetDlgItem(box, g_pressId);
  g_events.push_back(::IsWindowVisible(button) ? "button visible" : "button hidden");
  ::PostMessageW(button, BM_CLICK, 0, 0);
}

int ShowAndPress(const std::function<int()>& show, int pressId) {
  g_events.clear();
  g_pressId = pressId;
  ::SetTimer(nullptr, 0, 50, &PressWhenShown);
  return show();
}

TEST(SkinWindows, MessageBoxResultsAndSounds) {
  SetResourceBitmapLoader(&test::ResourceOrMade);
  SoundPlayer previous = SetSoundPlayer(&RecordSound);
  char dir[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, dir);
  std::string work = std::string(dir) + "skin_box_test";
  ::CreateDirectoryA(work.c_str(), nullptr);
  ASSERT_TRUE(::SetCurrentDirectoryA(work.c_str()));
  test::EnsureBoxFiles();

  EXPECT_EQ(ShowAndPress([] { return ShowDormelBox(nullptr, 149, "Save?", "Power", kDormelQuestion); }, 1039), 1039);
  EXPECT_EQ(ShowAndPress([] { return ShowDormelBox(nullptr, 140, "Save?", "Power", kDormelQuestion); }, 2), 2);
  EXPECT_EQ(ShowAndPress([] { return ShowDormelBox(nullptr, 140, "Failed", "Power", kDormelError); }, 1042), 1042);
  // The press plays the button's sound (hover sounds may come and go with
  // the pointer, so only the order around the press is pinned).
  ASSERT_GE(g_events.size(), 3u);
  EXPECT_EQ(g_events[g_events.size() - 3], "shown");
  EXPECT_EQ(g_events[g_events.size() - 2], "button visible");
  EXPECT_EQ(g_events.back(), "sound 141");

  EXPECT_EQ(ShowAndPress([] { return ShowTessaryBox(nullptr, 1, "Wrong", "Security", kTessaryError); }, 1), 1);
  ASSERT_GE(g_events.size(), 2u);
  EXPECT_EQ(g_events[0], "sound 156");  // before the box shows
  EXPECT_EQ(g_events[1], "shown");
  EXPECT_EQ(ShowAndPress([] { return ShowTessaryBox(nullptr, 2, "Careful", "Security", kTessaryWarning); }, 1058),
            1058);
  EXPECT_EQ(g_events[0], "sound 157");
  EXPECT_EQ(ShowAndPress([] { return ShowTessaryBox(nullptr, 2, "Sure?", "Security", kTessaryQuestion); }, 1055),
            1055);
  for (const std::string& e : g_events) EXPECT_TRUE(e != "sound 156" && e != "sound 157") << e;  // silent
  // Another background keeps the last one (2): its No button answers.
  EXPECT_EQ(ShowAndPress([] { return ShowTessaryBox(nullptr, 9, "Sure?", "Security", kTessaryQuestion); }, 1055),
            1055);
  SetSoundPlayer(previous);
  SetResourceBitmapLoader(nullptr);
}

}  // namespace
}  // namespace zel::skin
