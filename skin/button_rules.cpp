#include "skin/button_rules.h"

#include <algorithm>

namespace zel::skin {
namespace {

int Channel(Colour c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

template <class F>
Colour EachChannel(Colour c, F f) {
  Colour out = 0;
  for (int shift : {0, 8, 16}) {
    int v = std::clamp(f(Channel(c, shift)), 0, 255);
    out |= static_cast<Colour>(v) << shift;
  }
  return out;
}

Colour Lighter(Colour c) {  // c + (255 - c) * 0.4
  return EachChannel(c, [](int v) { return v + (255 - v) * 4 / 10; });
}
Colour Scaled(Colour c, int tenths) {
  return EachChannel(c, [tenths](int v) { return v * tenths / 10; });
}
constexpr Colour kWhite = 0xFFFFFF;

}  // namespace

ButtonKind KindFromStyle(uint32_t style) {
  ButtonKind k;
  if ((style & 3) == 3) k.kind = kKindCheckBox;
  if ((style & 9) == 9) k.kind = kKindRadio;
  k.pushLike = (style & 0x1000) != 0;
  k.leftText = (style & 0x20) != 0;
  return k;
}

int DefaultTextFormat(const ButtonKind& k) { return k.LooksPushed() ? 37 : 36; }

std::array<int, kStateCount> DefaultBorderStyles(const ButtonKind& k) {
  if (k.LooksPushed()) return {kBorderRaised, kBorderSunken, kBorderRaised, kBorderRaised};
  return {kBorderFlat, kBorderFlat, kBorderFlat, kBorderFlat};
}

void StoreFlags(std::array<bool, kStateCount>& values, const std::array<bool, kStateCount>& args, bool applyAll) {
  if (applyAll) {
    values.fill(args[0]);
    return;
  }
  values = args;
}

int ChooseState(const StateInput& in, bool& hover) {
  if (in.disabled) return kStateDisabled;
  if (in.selected || in.checked) return kStatePressed;
  if (!hover) return kStateNormal;
  if (in.previous == kStatePressed) {
    hover = false;
    return kStateNormal;
  }
  return kStateHover;
}

BorderColours DeriveBorder(Colour base, int style) {
  base &= 0xFFFFFF;
  switch (style) {
    case kBorderRaised:
      return {kWhite, Lighter(base), Scaled(base, 5), Scaled(base, 7)};
    case kBorderSunken:
      return {Scaled(base, 5), Scaled(base, 7), kWhite, Lighter(base)};
    default:
      return {base, base, base, base};
  }
}

Colour AdjustColour(Colour c, const FocusAdjust& a) {
  auto adjust = [](int v, int percent) { return std::clamp(v + v * percent / 100, 0, 255); };
  return static_cast<Colour>(adjust(Channel(c, 0), a.red)) |
         static_cast<Colour>(adjust(Channel(c, 8), a.green)) << 8 |
         static_cast<Colour>(adjust(Channel(c, 16), a.blue)) << 16;
}

int EffectiveBlend(int level, bool focusedLook, int boost) {
  return std::clamp(level + (focusedLook ? boost : 0), 0, 255);
}

Rect Inflate(Rect r, int d) { return {r.left - d, r.top - d, r.right + d, r.bottom + d}; }
Rect Offset(Rect r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

Rect PlaceFace(int width, int height, int alignment, const Rect& area) {
  int x = area.left, y = area.top;
  switch (alignment & 0x3) {
    case 1: x = area.left + (area.Width() - width) / 2; break;
    case 2: x = area.right - width; break;
    default: break;
  }
  switch (alignment & 0xC) {
    case 4: y = area.top + (area.Height() - height) / 2; break;
    case 8: y = area.bottom - height; break;
    default: break;
  }
  return {x, y, x + width, y + height};
}

GlyphLayout LayOutGlyph(int width, int height, bool leftText) {
  GlyphLayout g;
  int top = (height - kGlyphSize) / 2;
  if (leftText) {
    int right = width - 2;
    g.glyph = {right - kGlyphSize, top, right, top + kGlyphSize};
    g.text = {4, 0, g.glyph.left, height};
  } else {
    g.glyph = {0, top, kGlyphSize, top + kGlyphSize};
    g.text = {kGlyphSize + 6, 0, width, height};
  }
  return g;
}

}  // namespace zel::skin
