// The look rules of the skinned button that need no window: the state and
// kind codes, the four-state setters' keep values, which state a draw
// request shows, the border colours derived from a base colour, the blend
// level while focused and the placement of faces, glyphs and captions.
// Colours are 0x00BBGGRR values, the system's own colour order.
#pragma once
#include <array>
#include <cstdint>

namespace zel::skin {

using Colour = uint32_t;

// State codes; the per-state arrays are indexed by code - kStateNormal.
enum State : int { kStateNormal = 260, kStatePressed = 261, kStateHover = 262, kStateDisabled = 263 };
inline constexpr int kStateCount = 4;
constexpr int StateIndex(int state) { return state - kStateNormal; }

enum Kind : int { kKindPush = 270, kKindCheckBox = 271, kKindRadio = 272 };

enum BorderStyle : int { kBorderFlat = 257, kBorderRaised = 258, kBorderSunken = 259 };

// Option bits of Apply; an all-ones value means no options.
enum ApplyOption : uint32_t {
  kNoBackgroundFill = 0x01,
  kNoText = 0x02,
  kNoFaceBitmaps = 0x04,
  kNoBorder = 0x08,
  kNoFocusRect = 0x10,
};
constexpr uint32_t EffectiveOptions(uint32_t options) { return options == 0xFFFFFFFFu ? 0 : options; }

// Font style flags.
enum FontStyle : int { kFontBold = 0x20, kFontItalic = 0x40, kFontUnderline = 0x80, kFontStrikeOut = 0x100 };

// Face alignment: 0x20 | vertical (0 top, 4 middle, 8 bottom) | horizontal
// (0 left, 1 centre, 2 right).
inline constexpr int kAlignCentre = 0x25;

// What the control's template style makes of the button.
struct ButtonKind {
  int kind = kKindPush;
  bool pushLike = false;  // a check box or radio button drawn as a push button
  bool leftText = false;  // the glyph sits right of the caption
  // Push buttons and push-like buttons look alike (borders, text format).
  bool LooksPushed() const { return kind == kKindPush || pushLike; }
};
ButtonKind KindFromStyle(uint32_t style);
// The owner-drawn style that replaces the template's low style bits.
constexpr uint32_t OwnerDrawnStyle(uint32_t style) { return style | 0xB; }

// Text format and border style defaults of a kind.
int DefaultTextFormat(const ButtonKind& k);
std::array<int, kStateCount> DefaultBorderStyles(const ButtonKind& k);

// The four-state setters: arguments are (normal, apply-to-all, pressed,
// hover, disabled). `keep` holds each state's keep value: an argument equal
// to it leaves that state as it is, except that with apply-to-all such a
// state takes the normal state's value. `storeNormalAlways` stores the
// normal argument even when it equals its keep value; `allTouches` masks
// the states apply-to-all may change. Returns the bit set (1 << index) of
// the states that were stored.
struct SetterRule {
  bool storeNormalAlways = false;
  std::array<bool, kStateCount> allTouches{true, true, true, true};
};
template <class T>
unsigned StoreStates(std::array<T, kStateCount>& values, const std::array<T, kStateCount>& args, bool applyAll,
                     const std::array<T, kStateCount>& keep, const SetterRule& rule = {}) {
  unsigned stored = 0;
  if (rule.storeNormalAlways || !(args[0] == keep[0])) {
    values[0] = args[0];
    stored |= 1u;
  }
  for (int i = 1; i < kStateCount; ++i) {
    if (!(args[i] == keep[i])) {
      values[i] = args[i];
      stored |= 1u << i;
    } else if (applyAll && rule.allTouches[i]) {
      values[i] = values[0];
      stored |= 1u << i;
    }
  }
  return stored;
}
// The flag setters (window shape, background fill): the three later values
// are always stored; apply-to-all gives all four the normal value.
void StoreFlags(std::array<bool, kStateCount>& values, const std::array<bool, kStateCount>& args, bool applyAll);

// The state a draw request shows. `hover` may be cleared (leaving a
// pressed state through a release shows normal, not hover).
struct StateInput {
  bool disabled = false;
  bool selected = false;
  bool checked = false;
  int previous = kStateNormal;
};
int ChooseState(const StateInput& in, bool& hover);

// Border colours of a state: outer top-left, inner top-left, outer
// bottom-right, inner bottom-right.
struct BorderColours {
  Colour outerTopLeft, innerTopLeft, outerBottomRight, innerBottomRight;
};
BorderColours DeriveBorder(Colour base, int style);
// The embossed look of a disabled face or caption: highlight and shade.
inline Colour EmbossHighlight(Colour base) { return DeriveBorder(base, kBorderRaised).outerTopLeft; }
inline Colour EmbossShade(Colour base) { return DeriveBorder(base, kBorderRaised).innerBottomRight; }

// Each channel c becomes c + c * percent / 100, kept within 0..255.
struct FocusAdjust {
  int red = 0, green = 0, blue = 0;
};
Colour AdjustColour(Colour c, const FocusAdjust& a);

// The blend level drawn: the state's level plus the focus boost while
// focused with the focus look on, kept within 0..255.
int EffectiveBlend(int level, bool focusedLook, int boost);

// Shift of faces, captions and the background snapshot by border style.
inline int StyleShift(int style) { return style == kBorderRaised ? -1 : style == kBorderSunken ? 1 : 0; }

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};
Rect Inflate(Rect r, int d);  // d < 0 shrinks
Rect Offset(Rect r, int dx, int dy);

// A face of the given size placed by `alignment` inside `area`.
Rect PlaceFace(int width, int height, int alignment, const Rect& area);

// Glyph box and text rectangle of a check box or radio button in a button
// of the given size.
struct GlyphLayout {
  Rect glyph;
  Rect text;
};
inline constexpr int kGlyphSize = 13;
GlyphLayout LayOutGlyph(int width, int height, bool leftText);

}  // namespace zel::skin
