#include "skin/fx_button.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "skin/dib_region.h"

namespace zel::skin {

// A face bitmap held selected in its own memory device context.
struct CFxButton::Face {
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  SIZE size{};
  explicit Face(HBITMAP b) : bitmap(b) {
    BITMAP bm{};
    ::GetObjectW(b, sizeof bm, &bm);
    size = {bm.bmWidth, bm.bmHeight};
    dc = ::CreateCompatibleDC(nullptr);
    old = ::SelectObject(dc, b);
  }
  ~Face() {
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
};

struct CFxButton::Region {
  HRGN rgn;
  explicit Region(HRGN r) : rgn(r) {}
  ~Region() { ::DeleteObject(rgn); }
  Region(const Region&) = delete;
  Region& operator=(const Region&) = delete;
};

namespace {

RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
Rect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

HRGN CopyRegion(HRGN r) {
  HRGN copy = ::CreateRectRgn(0, 0, 0, 0);
  ::CombineRgn(copy, r, nullptr, RGN_COPY);
  return copy;
}

void Line(HDC dc, COLORREF c, int width, int x0, int y0, int x1, int y1) {
  HPEN pen = ::CreatePen(PS_SOLID, width, c);
  HGDIOBJ old = ::SelectObject(dc, pen);
  ::MoveToEx(dc, x0, y0, nullptr);
  ::LineTo(dc, x1, y1);
  ::SelectObject(dc, old);
  ::DeleteObject(pen);
}

// Part of the ellipse in `box` from angle `from` to `to` (degrees,
// counter-clockwise, 0 pointing right).
void ArcPart(HDC dc, const RECT& box, double from, double to) {
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0, pi = 3.14159265358979;
  auto px = [&](double a) { return static_cast<int>(std::lround(cx + 1000 * std::cos(a * pi / 180))); };
  auto py = [&](double a) { return static_cast<int>(std::lround(cy - 1000 * std::sin(a * pi / 180))); };
  ::Arc(dc, box.left, box.top, box.right, box.bottom, px(from), py(from), px(to), py(to));
}

}  // namespace

CFxButton::CFxButton() = default;

CFxButton::~CFxButton() {
  if (tooltip_) ::DestroyWindow(tooltip_);
  if (snapshotDc_) {
    ::SelectObject(snapshotDc_, snapshotOld_);
    ::DeleteDC(snapshotDc_);
  }
  if (snapshot_) ::DeleteObject(snapshot_);
}

bool CFxButton::SubclassDlgItem(int id, const fw::CWindow& parent) {
  if (!fw::CWindow::SubclassDlgItem(id, parent)) return false;
  const DWORD style = Style();
  kind_ = KindFromStyle(style);
  ::SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>((style & ~0xFu) | OwnerDrawnStyle(0)));
  const std::wstring caption = Text();
  LOGFONTW lf{};
  HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageW(parent.Handle(), WM_GETFONT, 0, 0));
  if (!dialogFont || !::GetObjectW(dialogFont, sizeof lf, &lf)) {
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  }
  faceName_ = lf.lfFaceName;
  const auto styles = DefaultBorderStyles(kind_);
  for (int i = 0; i < kStateCount; ++i) {
    Look& l = looks_[i];
    l = Look{};
    l.maskA = l.maskB = l.shapeA = l.shapeB = FaceColour();
    l.text = caption;
    l.fontHeight = lf.lfHeight;
    l.textColour = i == StateIndex(kStateDisabled) ? GreyTextColour() : TextColour();
    l.textFormat = DefaultTextFormat(kind_);
    l.background = FaceColour();
    l.style = styles[i];
  }
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
  return true;
}

template <class T, class Field>
void CFxButton::SetFour(Field field, const std::array<T, kStateCount>& args, bool all,
                        const std::array<T, kStateCount>& keep, const SetterRule& rule, bool* stored) {
  std::array<T, kStateCount> values;
  for (int i = 0; i < kStateCount; ++i) values[i] = looks_[i].*field;
  unsigned bits = StoreStates(values, args, all, keep, rule);
  for (int i = 0; i < kStateCount; ++i) {
    looks_[i].*field = values[i];
    if (stored) stored[i] = (bits >> i) & 1u;
  }
  Repaint();
}

void CFxButton::Repaint() {
  if (ready_ && hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void CFxButton::SetFaces(const std::array<std::shared_ptr<Face>, kStateCount>& faces, bool all) {
  for (int i = 0; i < kStateCount; ++i) {
    if (faces[i]) {
      looks_[i].face = faces[i];
      looks_[i].size = faces[i]->size;
    } else if (all && i > 0) {
      looks_[i].face = looks_[0].face;
      looks_[i].size = looks_[0].size;
    }
  }
  Repaint();
}

void CFxButton::SetStateBitmaps(UINT normal, bool all, UINT pressed, UINT hover, UINT disabled) {
  std::array<std::shared_ptr<Face>, kStateCount> faces;
  const UINT ids[kStateCount] = {normal, pressed, hover, disabled};
  for (int i = 0; i < kStateCount; ++i) {
    if (ids[i] == 0) continue;
    // The same id in several states shares one face.
    for (int j = 0; j < i; ++j)
      if (ids[j] == ids[i]) faces[i] = faces[j];
    if (!faces[i]) {
      HBITMAP b = LoadResourceBitmap(static_cast<int>(ids[i]));
      if (b) faces[i] = std::make_shared<Face>(b);
    }
  }
  SetFaces(faces, all);
}

void CFxButton::SetStateBitmapFiles(const std::wstring& normal, bool all, const std::wstring& pressed,
                                    const std::wstring& hover, const std::wstring& disabled) {
  std::array<std::shared_ptr<Face>, kStateCount> faces;
  const std::wstring* names[kStateCount] = {&normal, &pressed, &hover, &disabled};
  for (int i = 0; i < kStateCount; ++i) {
    if (names[i]->empty()) continue;
    for (int j = 0; j < i; ++j)
      if (*names[j] == *names[i]) faces[i] = faces[j];
    if (!faces[i]) {
      HBITMAP b = static_cast<HBITMAP>(
          ::LoadImageW(nullptr, names[i]->c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
      if (b) faces[i] = std::make_shared<Face>(b);
    }
  }
  SetFaces(faces, all);
}

void CFxButton::SetStateBlend(int normal, bool all, int pressed, int hover, int disabled) {
  auto clamp = [](int v) { return std::clamp(v, 0, 255); };
  SetFour<int>(&Look::blend, {clamp(normal), clamp(pressed), clamp(hover), clamp(disabled)}, all,
               {255, 255, 255, 255});
}

void CFxButton::SetStateKeyColor(COLORREF normal, bool all, COLORREF pressed, COLORREF hover, COLORREF disabled) {
  const COLORREF face = FaceColour();
  bool stored[kStateCount] = {};
  SetFour<COLORREF>(&Look::maskA, {normal, pressed, hover, disabled}, all, {face, face, face, face}, {}, stored);
  for (int i = 0; i < kStateCount; ++i)
    if (stored[i]) looks_[i].masking = true;
}

void CFxButton::SetStateTextColors(COLORREF normal, bool all, COLORREF pressed, COLORREF hover,
                                   COLORREF disabled) {
  SetterRule rule;
  rule.allTouches = {true, true, true, false};
  SetFour<COLORREF>(&Look::textColour, {normal, pressed, hover, disabled}, all,
                    {TextColour(), TextColour(), TextColour(), GreyTextColour()}, rule);
}

void CFxButton::SetStateFontHeights(int normal, bool all, int pressed, int hover, int disabled) {
  SetFour<int>(&Look::fontHeight, {normal, pressed, hover, disabled}, all, {11, 11, 11, 11});
}

void CFxButton::SetStateBorderDepths(int normal, bool all, int pressed, int hover, int disabled) {
  auto clamp = [](int v) { return std::clamp(v, 0, 2); };
  SetFour<int>(&Look::depth, {clamp(normal), clamp(pressed), clamp(hover), clamp(disabled)}, all, {2, 2, 2, 2});
}

void CFxButton::SetStateBorderStyles(int normal, bool all, int pressed, int hover, int disabled) {
  SetterRule rule;
  rule.storeNormalAlways = true;
  SetFour<int>(&Look::style, {normal, pressed, hover, disabled}, all,
               {kBorderFlat, kBorderSunken, kBorderRaised, kBorderFlat}, rule);
}

void CFxButton::SetStateTexts(const std::wstring& normal, bool all, const std::wstring& pressed,
                              const std::wstring& hover, const std::wstring& disabled) {
  SetFour<std::wstring>(&Look::text, {normal, pressed, hover, disabled}, all, {L"", L"", L"", L""});
}

void CFxButton::SetStateWindowShape(bool normal, bool all, bool pressed, bool hover, bool disabled) {
  std::array<bool, kStateCount> v;
  for (int i = 0; i < kStateCount; ++i) v[i] = looks_[i].windowShape;
  StoreFlags(v, {normal, pressed, hover, disabled}, all);
  for (int i = 0; i < kStateCount; ++i) looks_[i].windowShape = v[i];
  Repaint();
}

void CFxButton::SetStateBackgroundFill(bool normal, bool all, bool pressed, bool hover, bool disabled) {
  std::array<bool, kStateCount> v;
  for (int i = 0; i < kStateCount; ++i) v[i] = looks_[i].fill;
  StoreFlags(v, {normal, pressed, hover, disabled}, all);
  for (int i = 0; i < kStateCount; ++i) looks_[i].fill = v[i];
  Repaint();
}

void CFxButton::SetStateBackgroundColors(COLORREF normal, bool all, COLORREF pressed, COLORREF hover,
                                         COLORREF disabled) {
  const COLORREF face = FaceColour();
  SetFour<COLORREF>(&Look::background, {normal, pressed, hover, disabled}, all, {face, face, face, face});
}

void CFxButton::SetCorners(int width, int height) {
  cornerW_ = std::max(0, width);
  cornerH_ = std::max(0, height);
}
void CFxButton::SetBackgroundShift(bool on) { backgroundShift_ = on; }
void CFxButton::SetFocusBlendBoost(int boost) { focusBoost_ = boost; }
void CFxButton::SetFocusLook(bool on) { focusLook_ = on; }
void CFxButton::SetFocusRect(bool on) { focusRect_ = on; }
void CFxButton::SetFontStyle(int flags) { fontStyle_ = flags; }
void CFxButton::SetFaceName(const std::wstring& name) { faceName_ = name; }

void CFxButton::SetSounds(int pressSound, int hoverSound) {
  pressSound_ = pressSound;
  hoverSound_ = hoverSound;
  sounds_ = true;
}

void CFxButton::SetTooltip(const std::wstring& text, COLORREF textColour, COLORREF backgroundColour) {
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND;
  ti.hwnd = ::GetParent(hwnd_);
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  ti.lpszText = const_cast<wchar_t*>(text.c_str());
  if (!tooltip_) {
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr, nullptr);
    if (!tooltip_) return;
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
  } else {
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  ::SendMessageW(tooltip_, TTM_SETTIPTEXTCOLOR, textColour, 0);
  ::SendMessageW(tooltip_, TTM_SETTIPBKCOLOR, backgroundColour, 0);
}

void CFxButton::CopyStyleFrom(const CFxButton& other) {
  for (int i = 0; i < kStateCount; ++i) {
    Look& l = looks_[i];
    const Look& o = other.looks_[i];
    l.blend = o.blend;
    l.maskA = o.maskA;
    l.maskB = o.maskB;
    l.masking = o.masking;
    l.windowShape = o.windowShape;
    l.shapeA = o.shapeA;
    l.shapeB = o.shapeB;
    l.invertShape = o.invertShape;
    l.align = o.align;
    l.hasFaceRect = o.hasFaceRect;
    l.faceRect = o.faceRect;
    l.hasTextRect = o.hasTextRect;
    l.textRect = o.textRect;
    l.fontHeight = o.fontHeight;
    l.textColour = o.textColour;
    l.textFormat = o.textFormat;
    l.fill = o.fill;
    l.background = o.background;
    l.depth = o.depth;
    l.style = o.style;
    l.border = o.border;
  }
  cornerW_ = other.cornerW_;
  cornerH_ = other.cornerH_;
  backgroundShift_ = other.backgroundShift_;
  focusLook_ = other.focusLook_;
  focusRect_ = other.focusRect_;
  focusBoost_ = other.focusBoost_;
  focusAdjust_ = other.focusAdjust_;
  fontStyle_ = other.fontStyle_;
  focusFontStyle_ = other.focusFontStyle_;
  focusHeightChange_ = other.focusHeightChange_;
  faceName_ = other.faceName_;
  Repaint();
}

RECT CFxButton::ClientRect() const {
  RECT r{};
  ::GetClientRect(hwnd_, &r);
  return r;
}

int CFxButton::LargestDepth() const {
  int d = 0;
  for (const Look& l : looks_) d = std::max(d, l.depth);
  return d;
}

HRGN CFxButton::WindowRegionOf(int state) const {
  const Look& l = looks_[StateIndex(state)];
  return l.windowShape && l.window ? l.window->rgn : nullptr;
}

HRGN CFxButton::MaskRegionOf(int state) const {
  const Look& l = looks_[StateIndex(state)];
  return l.mask ? l.mask->rgn : nullptr;
}

void CFxButton::BuildRegions(Look& look, const RECT& button) {
  const int w = look.faceRect.right - look.faceRect.left, h = look.faceRect.bottom - look.faceRect.top;
  if (w <= 0 || h <= 0) return;
  // The face as drawn, in a scratch picture whose pixels are read directly.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP scratch = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!scratch) return;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, scratch);
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, 0, 0, w, h, look.face->dc, 0, 0, look.size.cx, look.size.cy, SRCCOPY);
  ::GdiFlush();
  PixelImage image{static_cast<const uint8_t*>(bits), w, h, 24, true, nullptr};
  auto build = [&](COLORREF a, COLORREF b) {
    return std::make_shared<Region>(RegionFromRuns(OpaqueRuns(image, a, b), look.faceRect.left, look.faceRect.top));
  };
  look.mask.reset();
  look.window.reset();
  if (look.masking) look.mask = build(look.maskA, look.maskB);
  if (!Rounded() && look.windowShape) {
    if (look.invertShape) {
      auto r = build(look.shapeA, look.shapeB);
      HRGN whole = ::CreateRectRgnIndirect(&button);
      ::CombineRgn(r->rgn, r->rgn, whole, RGN_XOR);
      ::DeleteObject(whole);
      look.window = r;
    } else if (look.mask && ((look.shapeA == look.maskA && look.shapeB == look.maskB) ||
                             (look.shapeA == look.maskB && look.shapeB == look.maskA))) {
      look.window = look.mask;
    } else {
      look.window = build(look.shapeA, look.shapeB);
    }
  }
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(scratch);
}

void CFxButton::ShareEqualRegions() {
  std::vector<std::shared_ptr<Region>*> all;
  for (Look& l : looks_) {
    all.push_back(&l.mask);
    all.push_back(&l.window);
  }
  for (size_t i = 0; i < all.size(); ++i) {
    if (!*all[i]) continue;
    for (size_t j = 0; j < i; ++j) {
      if (*all[j] && *all[j] != *all[i] && ::EqualRgn((*all[j])->rgn, (*all[i])->rgn)) {
        *all[i] = *all[j];
        break;
      }
    }
  }
}

void CFxButton::Apply(HBITMAP background, uint32_t options, int checked) {
  if (!hwnd_) return;
  // 1. The check state of check boxes and radio buttons.
  if (kind_.kind != kKindPush) Send(BM_SETCHECK, static_cast<WPARAM>(checked));
  const RECT button = ClientRect();
  const int w = button.right, h = button.bottom;
  // 2. The background under the button.
  if (background) {
    for (Look& l : looks_) l.fill = false;
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    HDC screen = ::GetDC(hwnd_);
    if (snapshotDc_) {
      ::SelectObject(snapshotDc_, snapshotOld_);
      ::DeleteDC(snapshotDc_);
      ::DeleteObject(snapshot_);
    }
    snapshotDc_ = ::CreateCompatibleDC(screen);
    snapshot_ = ::CreateCompatibleBitmap(screen, w, h);
    snapshotOld_ = ::SelectObject(snapshotDc_, snapshot_);
    HDC source = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(source, background);
    ::BitBlt(snapshotDc_, 0, 0, w, h, source, r.left, r.top, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    ::ReleaseDC(hwnd_, screen);
  }
  // 3. Border colours.
  for (Look& l : looks_) l.border = DeriveBorder(l.fill ? l.background : FaceColour(), l.style);
  // 4. Text rectangles.
  for (Look& l : looks_) {
    if (kind_.LooksPushed()) {
      l.textRect = button;
    } else {
      l.textRect = ToRect(LayOutGlyph(w, h, kind_.leftText).text);
    }
    l.hasTextRect = true;
  }
  // 5. Face placement.
  const Rect area = Inflate(FromRect(button), -(LargestDepth() + 1));
  for (Look& l : looks_) {
    if (!l.face) continue;
    l.size = l.face->size;
    if (!l.hasFaceRect) {
      l.faceRect = ToRect(PlaceFace(l.size.cx, l.size.cy, l.align, area));
      l.hasFaceRect = true;
    }
  }
  // 6. Regions of each face.
  for (Look& l : looks_)
    if (l.face) BuildRegions(l, button);
  // 7. Rounded buttons: one rounded outline for every state.
  if (Rounded()) {
    cornerW_ = std::min(cornerW_, w);
    cornerH_ = std::min(cornerH_, h);
    auto round = std::make_shared<Region>(::CreateRoundRectRgn(0, 0, w + 1, h + 1, cornerW_, cornerH_));
    for (Look& l : looks_) {
      l.windowShape = true;
      l.window = round;
    }
  }
  // 8. One region for equal ones.
  ShareEqualRegions();
  // 9. Options, hover tracking, ready.
  options = EffectiveOptions(options);
  fillOn_ = !(options & kNoBackgroundFill);
  textOn_ = !(options & kNoText);
  facesOn_ = !(options & kNoFaceBitmaps);
  bordersOn_ = !(options & kNoBorder);
  focusRectOn_ = !(options & kNoFocusRect);
  OnMouseMove(0, 0);
  ready_ = true;
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void CFxButton::SetShape(const std::shared_ptr<Region>& region) {
  const Region* want = region.get();
  if (want == shownShape_) return;
  shownShape_ = want;
  ::SetWindowRgn(hwnd_, want ? CopyRegion(want->rgn) : nullptr, FALSE);
}

COLORREF CFxButton::Focused(COLORREF c, bool focusedLook) const {
  return focusedLook ? AdjustColour(c, focusAdjust_) : c;
}

void CFxButton::Draw(const DRAWITEMSTRUCT& item) {
  // 1. While the mouse is held after a press here, follow the cursor.
  if (::GetCapture() == hwnd_ && pressedInside_) {
    POINT p{};
    ::GetCursorPos(&p);
    const bool over = ::WindowFromPoint(p) == hwnd_;
    const bool shown = (item.itemState & ODS_SELECTED) != 0;
    if (over && !shown) return SetPushedLook(true);
    if (!over && shown) return SetPushedLook(false);
  }
  // 2. The state.
  StateInput in;
  in.disabled = (item.itemState & ODS_DISABLED) != 0;
  in.selected = (item.itemState & ODS_SELECTED) != 0;
  in.checked = checked_ != 0;
  in.previous = lastState_;
  const int state = ChooseState(in, hover_);
  lastState_ = state;
  focused_ = (item.itemState & ODS_FOCUS) != 0;
  const bool focusedLook = focused_ && focusLook_;
  const Look& look = looks_[StateIndex(state)];
  const RECT r = ClientRect();
  const int w = r.right, h = r.bottom;
  HDC target = item.hDC;
  // 3. Rounded buttons draw inside their outline.
  if (Rounded() && look.window) ::SelectClipRgn(target, look.window->rgn);
  // 4. Compose off screen.
  HDC dc = ::CreateCompatibleDC(target);
  HBITMAP canvas = ::CreateCompatibleBitmap(target, w, h);
  HGDIOBJ oldCanvas = ::SelectObject(dc, canvas);
  // The background as it lies under the button first, so that a shifted
  // snapshot leaves no bare edge.
  if (snapshotDc_) {
    ::BitBlt(dc, 0, 0, w, h, snapshotDc_, 0, 0, SRCCOPY);
    const int s = backgroundShift_ ? StyleShift(look.style) : 0;
    if (s) ::BitBlt(dc, s, s, w, h, snapshotDc_, 0, 0, SRCCOPY);
  } else {
    HBRUSH face = ::CreateSolidBrush(FaceColour());
    ::FillRect(dc, &r, face);
    ::DeleteObject(face);
  }
  if (Rounded()) {
    DrawRoundedFrame(dc, look, focusedLook, r);
  } else if (fillOn_ && look.fill) {
    HBRUSH b = ::CreateSolidBrush(Focused(look.background, focusedLook));
    ::FillRect(dc, &r, b);
    ::DeleteObject(b);
  }
  if (facesOn_ && look.face) DrawFace(dc, look, state, focusedLook);
  if (textOn_) DrawCaption(dc, look, state, focusedLook);
  if (bordersOn_ && !Rounded()) DrawRectBorder(dc, look, focusedLook, r);
  // 5. The window's shape for this state.
  SetShape(look.windowShape ? look.window : nullptr);
  // 6. One copy to the screen.
  ::BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  ::SelectObject(dc, oldCanvas);
  ::DeleteObject(canvas);
  ::DeleteDC(dc);
  if (Rounded()) ::SelectClipRgn(target, nullptr);
  // 7. Focus rectangle.
  if (focused_ && focusRect_ && focusRectOn_) {
    RECT fr = ToRect(Inflate(FromRect(r), -3));
    if (!kind_.LooksPushed()) {
      HDC measure = target;
      SIZE text{}, blank{};
      ::GetTextExtentPoint32W(measure, look.text.c_str(), static_cast<int>(look.text.size()), &text);
      ::GetTextExtentPoint32W(measure, L" ", 1, &blank);
      const RECT& tr = look.textRect;
      const int top = tr.top + (tr.bottom - tr.top - text.cy) / 2;
      fr = {tr.left - 1, top, tr.left - 1 + text.cx + blank.cx, top + text.cy};
    }
    ::DrawFocusRect(target, &fr);
  }
}

void CFxButton::DrawFace(HDC dc, const Look& look, int state, bool focusedLook) {
  const int s = StyleShift(look.style);
  const RECT fr = look.faceRect;
  RECT shifted = fr;
  ::OffsetRect(&shifted, s, s);
  HRGN clip = look.mask ? CopyRegion(look.mask->rgn) : ::CreateRectRgnIndirect(&fr);
  ::OffsetRgn(clip, s, s);
  ::SelectClipRgn(dc, clip);
  const Look& normal = looks_[0];
  if (state == kStateDisabled && look.face == normal.face) {
    // No face of its own: the normal face, embossed.
    const COLORREF base = look.background;
    HBRUSH light = ::CreateSolidBrush(EmbossHighlight(base)), shade = ::CreateSolidBrush(EmbossShade(base));
    ::FillRgn(dc, clip, light);
    ::OffsetRgn(clip, -1, -1);
    ::SelectClipRgn(dc, nullptr);
    ::FillRgn(dc, clip, shade);
    ::DeleteObject(light);
    ::DeleteObject(shade);
  } else {
    const int blend = EffectiveBlend(look.blend, focusedLook, focusBoost_);
    const int w = fr.right - fr.left, h = fr.bottom - fr.top;
    if (blend >= 255) {
      ::SetStretchBltMode(dc, HALFTONE);
      ::SetBrushOrgEx(dc, 0, 0, nullptr);
      ::StretchBlt(dc, shifted.left, shifted.top, w, h, look.face->dc, 0, 0, look.size.cx, look.size.cy, SRCCOPY);
    } else {
      BLENDFUNCTION bf{AC_SRC_OVER, 0, static_cast<BYTE>(blend), 0};
      ::AlphaBlend(dc, shifted.left, shifted.top, w, h, look.face->dc, 0, 0, look.size.cx, look.size.cy, bf);
    }
  }
  ::SelectClipRgn(dc, nullptr);
  ::DeleteObject(clip);
}

void CFxButton::DrawCaption(HDC dc, const Look& look, int state, bool focusedLook) {
  const int style = fontStyle_ | (focusedLook ? focusFontStyle_ : 0);
  const int height = look.fontHeight + (focusedLook ? focusHeightChange_ : 0);
  HFONT font = ::CreateFontW(height, 0, 0, 0, (style & kFontBold) ? FW_BOLD : FW_NORMAL, (style & kFontItalic) != 0,
                             (style & kFontUnderline) != 0, (style & kFontStrikeOut) != 0, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                             faceName_.c_str());
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  RECT tr = look.textRect;
  const RECT whole = ClientRect();
  if (::EqualRect(&tr, &whole)) {
    tr = ToRect(Inflate(FromRect(tr), -(LargestDepth() + 1)));
  }
  const int s = StyleShift(look.style);
  ::OffsetRect(&tr, s, s);
  std::wstring text = look.text;
  const UINT format = static_cast<UINT>(look.textFormat);
  if (state == kStateDisabled) {
    RECT raised = tr;
    ::OffsetRect(&raised, 1, 1);
    ::SetTextColor(dc, EmbossHighlight(look.background));
    ::DrawTextW(dc, text.c_str(), -1, &raised, format);
    ::SetTextColor(dc, EmbossShade(look.background));
    ::DrawTextW(dc, text.c_str(), -1, &tr, format);
  } else {
    ::SetTextColor(dc, Focused(look.textColour, focusedLook));
    ::DrawTextW(dc, text.c_str(), -1, &tr, format);
  }
  ::SelectObject(dc, oldFont);
  ::DeleteObject(font);
  if (!kind_.LooksPushed()) {
    RECT g = ToRect(LayOutGlyph(ClientRect().right, ClientRect().bottom, kind_.leftText).glyph);
    UINT how = kind_.kind == kKindRadio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
    if (checked_) how |= DFCS_CHECKED;
    if (state == kStateDisabled) how |= DFCS_INACTIVE;
    ::DrawFrameControl(dc, &g, DFC_BUTTON, how);
  }
}

void CFxButton::DrawRoundedFrame(HDC dc, const Look& look, bool focusedLook, const RECT& r) {
  const int cw = cornerW_, ch = cornerH_;
  if (fillOn_ && look.fill) {
    HBRUSH b = ::CreateSolidBrush(Focused(look.background, focusedLook));
    HGDIOBJ oldBrush = ::SelectObject(dc, b);
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::RoundRect(dc, r.left, r.top, r.right + 1, r.bottom + 1, cw, ch);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(b);
  }
  if (!bordersOn_ || look.depth == 0) return;
  // One pass: the left and top half in one pen, the right and bottom half
  // in another, each made of quarter arcs joined by straight edges.
  auto pass = [&](int inset, COLORREF topLeft, int tlWidth, COLORREF bottomRight, int brWidth) {
    const int l = r.left + inset, t = r.top + inset, rt = r.right - 1 - inset, b = r.bottom - 1 - inset;
    const RECT tlBox{l, t, l + cw, t + ch}, trBox{rt - cw, t, rt, t + ch};
    const RECT blBox{l, b - ch, l + cw, b}, brBox{rt - cw, b - ch, rt, b};
    for (int half = 0; half < 2; ++half) {
      HPEN pen = ::CreatePen(PS_SOLID, half == 0 ? tlWidth : brWidth, half == 0 ? topLeft : bottomRight);
      HGDIOBJ old = ::SelectObject(dc, pen);
      if (half == 0) {
        ArcPart(dc, trBox, 45, 90);
        ArcPart(dc, tlBox, 90, 180);
        ArcPart(dc, blBox, 180, 225);
        ::MoveToEx(dc, l + cw / 2, t, nullptr);
        ::LineTo(dc, rt - cw / 2, t);
        ::MoveToEx(dc, l, t + ch / 2, nullptr);
        ::LineTo(dc, l, b - ch / 2);
      } else {
        ArcPart(dc, blBox, 225, 270);
        ArcPart(dc, brBox, 270, 360);
        ArcPart(dc, trBox, 0, 45);
        ::MoveToEx(dc, l + cw / 2, b, nullptr);
        ::LineTo(dc, rt - cw / 2, b);
        ::MoveToEx(dc, rt, t + ch / 2, nullptr);
        ::LineTo(dc, rt, b - ch / 2);
      }
      ::SelectObject(dc, old);
      ::DeleteObject(pen);
    }
  };
  const BorderColours& c = look.border;
  if (look.depth == 2)
    pass(2, Focused(c.innerTopLeft, focusedLook), 3, Focused(c.innerBottomRight, focusedLook), 2);
  pass(0, Focused(c.outerTopLeft, focusedLook), 1, Focused(c.outerBottomRight, focusedLook), 1);
}

void CFxButton::DrawRectBorder(HDC dc, const Look& look, bool focusedLook, const RECT& r) {
  if (look.depth == 0) return;
  const BorderColours& c = look.border;
  auto outline = [&](int inset, COLORREF tl, COLORREF br) {
    const int l = r.left + inset, t = r.top + inset, rt = r.right - 1 - inset, b = r.bottom - 1 - inset;
    Line(dc, Focused(tl, focusedLook), 1, l, b, l, t);
    Line(dc, Focused(tl, focusedLook), 1, l, t, rt, t);
    Line(dc, Focused(br, focusedLook), 1, rt, t, rt, b);
    Line(dc, Focused(br, focusedLook), 1, rt, b, l - 1, b);
  };
  outline(0, c.outerTopLeft, c.outerBottomRight);
  if (look.depth == 2) outline(1, c.innerTopLeft, c.innerBottomRight);
}

void CFxButton::SetPushedLook(bool pushed) { Send(BM_SETSTATE, pushed ? TRUE : FALSE); }

void CFxButton::RelayToTooltip(UINT message, WPARAM wp, LPARAM lp) {
  if (!tooltip_) return;
  MSG m{};
  m.hwnd = hwnd_;
  m.message = message;
  m.wParam = wp;
  m.lParam = lp;
  m.time = static_cast<DWORD>(::GetMessageTime());
  m.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}

void CFxButton::CheckRadio() {
  // Every other member of the group is told to let go of its check.
  HWND parent = ::GetParent(hwnd_);
  for (HWND next = ::GetNextDlgGroupItem(parent, hwnd_, FALSE); next && next != hwnd_;
       next = ::GetNextDlgGroupItem(parent, next, FALSE)) {
    ::PostMessageW(next, kUncheckRadio, 0, 0);
  }
}

ZEL_BEGIN_MESSAGE_MAP(CFxButton, fw::CButton)
  OnMessage(fw::kReflect + WM_DRAWITEM, &CFxButton::OnDrawItem),
  OnMessage(WM_ERASEBKGND, &CFxButton::OnEraseBackground),
  OnMessage(WM_MOUSEMOVE, &CFxButton::OnMouseMove),
  OnMessage(WM_MOUSEHOVER, &CFxButton::OnMouseHover),
  OnMessage(WM_MOUSELEAVE, &CFxButton::OnMouseLeave),
  OnMessage(WM_LBUTTONDOWN, &CFxButton::OnLeftDown),
  OnMessage(WM_LBUTTONUP, &CFxButton::OnLeftUp),
  OnMessage(WM_LBUTTONDBLCLK, &CFxButton::OnDoubleClick),
  OnMessage(WM_KEYDOWN, &CFxButton::OnKeyDown),
  OnMessage(WM_SETFOCUS, &CFxButton::OnSetFocus),
  OnMessage(WM_KILLFOCUS, &CFxButton::OnKillFocus),
  OnMessage(WM_SETCURSOR, &CFxButton::OnSetCursor),
  OnMessage(BM_SETCHECK, &CFxButton::OnSetCheck),
  OnMessage(BM_GETCHECK, &CFxButton::OnGetCheck),
  OnMessage(kUncheckRadio, &CFxButton::OnUncheckRadio),
ZEL_END_MESSAGE_MAP()

LRESULT CFxButton::OnDrawItem(WPARAM, LPARAM lp) {
  if (lp) Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
  return TRUE;
}

LRESULT CFxButton::OnEraseBackground(WPARAM, LPARAM) { return 1; }

LRESULT CFxButton::OnMouseMove(WPARAM wp, LPARAM lp) {
  if ((wp & MK_LBUTTON) && !pressedInside_) {
    pressOutside_ = true;  // the press began elsewhere: not ours
    return 0;
  }
  RelayToTooltip(WM_MOUSEMOVE, wp, lp);
  if (::GetCapture() == hwnd_ && pressedInside_) {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    RECT r = ClientRect();
    SetPushedLook(::PtInRect(&r, p) != FALSE);
    return 0;
  }
  if (sounds_ && ready_ && !hover_) PlayWave(hoverSound_);
  // Armed once; armed afresh while the hover look is off, so that tracking
  // armed while the pointer was elsewhere (as Apply does) starts over here.
  if (!tracking_ || !hover_) {
    TRACKMOUSEEVENT t{sizeof t, TME_HOVER | TME_LEAVE, hwnd_, 1};
    if (::TrackMouseEvent(&t)) tracking_ = true;
  }
  DefaultHandling();
  return 0;
}

LRESULT CFxButton::OnMouseHover(WPARAM, LPARAM) {
  if (!hover_) {
    hover_ = true;
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }
  return 0;
}

LRESULT CFxButton::OnMouseLeave(WPARAM, LPARAM) {
  hover_ = false;
  tracking_ = false;
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  return 0;
}

LRESULT CFxButton::OnLeftDown(WPARAM wp, LPARAM lp) {
  pressOutside_ = false;
  RelayToTooltip(WM_LBUTTONDOWN, wp, lp);
  if (sounds_) PlayWave(pressSound_);
  if (tracking_) {
    TRACKMOUSEEVENT t{sizeof t, TME_CANCEL | TME_HOVER | TME_LEAVE, hwnd_, 0};
    ::TrackMouseEvent(&t);
    tracking_ = false;
  }
  LRESULT r = DefaultProcedure(WM_LBUTTONDOWN, wp, lp);  // the button takes the mouse
  pressedInside_ = true;
  return r;
}

LRESULT CFxButton::OnLeftUp(WPARAM wp, LPARAM lp) {
  if (pressOutside_) {
    pressOutside_ = false;
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    return 0;
  }
  POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  RECT r = ClientRect();
  if (pressedInside_ && ::PtInRect(&r, p) && kind_.kind != kKindPush) {
    if (kind_.kind == kKindCheckBox)
      Send(BM_SETCHECK, checked_ ? BST_UNCHECKED : BST_CHECKED);
    else
      Send(BM_SETCHECK, BST_CHECKED);
  }
  RelayToTooltip(WM_LBUTTONUP, wp, lp);
  pressedInside_ = false;
  DefaultHandling();
  return 0;
}

LRESULT CFxButton::OnDoubleClick(WPARAM wp, LPARAM lp) { return Send(WM_LBUTTONDOWN, wp, lp); }

LRESULT CFxButton::OnKeyDown(WPARAM wp, LPARAM) {
  if (wp == VK_SPACE) {
    if (kind_.kind == kKindCheckBox) Send(BM_SETCHECK, checked_ ? BST_UNCHECKED : BST_CHECKED);
    if (kind_.kind == kKindRadio) Send(BM_SETCHECK, BST_CHECKED);
  }
  DefaultHandling();
  return 0;
}

LRESULT CFxButton::OnSetFocus(WPARAM, LPARAM) {
  focused_ = true;
  DefaultHandling();
  return 0;
}

LRESULT CFxButton::OnKillFocus(WPARAM, LPARAM) {
  focused_ = false;
  if (::GetCapture() == hwnd_) ::ReleaseCapture();
  DefaultHandling();
  return 0;
}

LRESULT CFxButton::OnSetCursor(WPARAM, LPARAM) {
  if (!cursor_) {
    DefaultHandling();
    return 0;
  }
  ::SetCursor(cursor_);
  return TRUE;
}

LRESULT CFxButton::OnSetCheck(WPARAM wp, LPARAM) {
  const int before = checked_;
  checked_ = kind_.kind == kKindPush ? 0 : static_cast<int>(wp);
  if (kind_.kind == kKindRadio && checked_ && !before) CheckRadio();
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  return 0;
}

LRESULT CFxButton::OnGetCheck(WPARAM, LPARAM) { return checked_; }

LRESULT CFxButton::OnUncheckRadio(WPARAM, LPARAM) {
  if (kind_.kind == kKindRadio && checked_) {
    checked_ = 0;
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }
  return 0;
}

}  // namespace zel::skin
