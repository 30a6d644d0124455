#include "skin/button_rules.h"

#include <gtest/gtest.h>

namespace zel::skin {
namespace {

using Four = std::array<int, kStateCount>;

TEST(SkinSetters, BlendKeepsStatesGivenTheKeepValue) {
  Four blend{255, 255, 255, 255};
  blend[2] = 90;  // a hover level set earlier
  const Four keep{255, 255, 255, 255};
  StoreStates(blend, Four{150, 30, 255, 255}, false, keep);
  EXPECT_EQ(blend, (Four{150, 30, 90, 255}));
  // Apply-to-all fills only the states passed as keep, with the normal value.
  StoreStates(blend, Four{120, 40, 255, 255}, true, keep);
  EXPECT_EQ(blend, (Four{120, 40, 120, 120}));
  // A normal value equal to the keep value leaves normal alone; apply-to-all
  // then spreads the normal state's current level.
  StoreStates(blend, Four{255, 255, 255, 255}, true, keep);
  EXPECT_EQ(blend, (Four{120, 120, 120, 120}));
}

TEST(SkinSetters, KeyColourApplyToAllReportsEveryStateForMasking) {
  const uint32_t face = 0xC8D0D4;
  std::array<uint32_t, kStateCount> keys{face, face, face, face};
  unsigned stored = StoreStates(keys, {0x000000u, face, face, face}, true, {face, face, face, face});
  EXPECT_EQ(stored, 0xFu);  // masking turns on in all four
  EXPECT_EQ(keys, (std::array<uint32_t, kStateCount>{0, 0, 0, 0}));
  // Without apply-to-all only the given state is stored.
  keys.fill(face);
  stored = StoreStates(keys, {face, 0x00FF00u, face, face}, false, {face, face, face, face});
  EXPECT_EQ(stored, 0x2u);
  EXPECT_EQ(keys[0], face);
}

TEST(SkinSetters, BorderStylesStoreNormalAndPerStateKeeps) {
  Four styles{kBorderRaised, kBorderSunken, kBorderRaised, kBorderRaised};
  const Four keep{0, kBorderSunken, kBorderRaised, kBorderFlat};
  SetterRule rule;
  rule.storeNormalAlways = true;
  StoreStates(styles, Four{kBorderFlat, kBorderSunken, kBorderRaised, kBorderFlat}, false, keep, rule);
  EXPECT_EQ(styles, (Four{kBorderFlat, kBorderSunken, kBorderRaised, kBorderRaised}));
  // Text colours: apply-to-all never changes the disabled colour.
  SetterRule text;
  text.allTouches = {true, true, true, false};
  Four colours{1, 2, 3, 4};
  StoreStates(colours, Four{9, 2, 3, 4}, true, Four{2, 2, 3, 4}, text);
  EXPECT_EQ(colours, (Four{9, 9, 9, 4}));
}

TEST(SkinSetters, FlagSettersStoreLaterStatesAlways) {
  std::array<bool, kStateCount> flags{false, false, false, false};
  StoreFlags(flags, {false, true, false, true}, false);
  EXPECT_EQ(flags, (std::array<bool, kStateCount>{false, true, false, true}));
  StoreFlags(flags, {true, false, false, false}, true);
  EXPECT_EQ(flags, (std::array<bool, kStateCount>{true, true, true, true}));
}

TEST(SkinKinds, StyleBitsChooseKindAndLook) {
  EXPECT_EQ(KindFromStyle(0x0).kind, kKindPush);
  EXPECT_EQ(KindFromStyle(0x1).kind, kKindPush);   // default push button
  EXPECT_EQ(KindFromStyle(0x3).kind, kKindCheckBox);  // auto check box
  EXPECT_EQ(KindFromStyle(0x9).kind, kKindRadio);     // auto radio button
  EXPECT_EQ(KindFromStyle(0xB).kind, kKindRadio);     // both tests pass: radio wins
  ButtonKind likePush = KindFromStyle(0x1003);
  EXPECT_TRUE(likePush.pushLike);
  EXPECT_EQ(DefaultTextFormat(likePush), 37);
  EXPECT_EQ(DefaultBorderStyles(likePush), (Four{kBorderRaised, kBorderSunken, kBorderRaised, kBorderRaised}));
  ButtonKind check = KindFromStyle(0x23);
  EXPECT_TRUE(check.leftText);
  EXPECT_EQ(DefaultTextFormat(check), 36);
  EXPECT_EQ(DefaultBorderStyles(check), (Four{kBorderFlat, kBorderFlat, kBorderFlat, kBorderFlat}));
  EXPECT_EQ(OwnerDrawnStyle(0x50010003u) & 0xF, 0xBu);
}

TEST(SkinState, DrawRequestChoosesState) {
  bool hover = true;
  EXPECT_EQ(ChooseState({true, true, true, kStateNormal}, hover), kStateDisabled);
  EXPECT_EQ(ChooseState({false, true, false, kStateNormal}, hover), kStatePressed);
  EXPECT_EQ(ChooseState({false, false, true, kStateNormal}, hover), kStatePressed);  // checked
  EXPECT_EQ(ChooseState({false, false, false, kStateNormal}, hover), kStateHover);
  EXPECT_TRUE(hover);
  // Released after a press: normal, and the hover flag is cleared.
  EXPECT_EQ(ChooseState({false, false, false, kStatePressed}, hover), kStateNormal);
  EXPECT_FALSE(hover);
  EXPECT_EQ(ChooseState({false, false, false, kStateHover}, hover), kStateNormal);
}

TEST(SkinColours, BorderDerivedPerStyle) {
  const Colour base = 0x6496C8;  // red 200, green 150, blue 100
  BorderColours raised = DeriveBorder(base, kBorderRaised);
  EXPECT_EQ(raised.outerTopLeft, 0xFFFFFFu);
  // 200 + 55 * 0.4 = 222, 150 + 105 * 0.4 = 192, 100 + 155 * 0.4 = 162
  EXPECT_EQ(raised.innerTopLeft, 0xA2C0DEu);
  EXPECT_EQ(raised.outerBottomRight, 0x324B64u);  // halves
  EXPECT_EQ(raised.innerBottomRight, 0x46698Cu);  // 70 %
  BorderColours sunken = DeriveBorder(base, kBorderSunken);
  EXPECT_EQ(sunken.outerTopLeft, raised.outerBottomRight);
  EXPECT_EQ(sunken.innerTopLeft, raised.innerBottomRight);
  EXPECT_EQ(sunken.outerBottomRight, 0xFFFFFFu);
  EXPECT_EQ(sunken.innerBottomRight, raised.innerTopLeft);
  BorderColours flat = DeriveBorder(base, kBorderFlat);
  EXPECT_EQ(flat.outerTopLeft, base);
  EXPECT_EQ(flat.innerBottomRight, base);
  // White and black stay within range.
  EXPECT_EQ(DeriveBorder(0xFFFFFF, kBorderRaised).innerTopLeft, 0xFFFFFFu);
  EXPECT_EQ(DeriveBorder(0x000000, kBorderRaised).innerTopLeft, 0x666666u);
  EXPECT_EQ(EmbossShade(0xFFFFFF), 0xB2B2B2u);
}

TEST(SkinColours, FocusBlendAndChannelsClamp) {
  EXPECT_EQ(EffectiveBlend(150, true, 50), 200);
  EXPECT_EQ(EffectiveBlend(230, true, 50), 255);
  EXPECT_EQ(EffectiveBlend(230, false, 50), 230);
  EXPECT_EQ(EffectiveBlend(20, true, -50), 0);
  // Red +50 %, green -100 %, blue +10 %.
  EXPECT_EQ(AdjustColour(0xC86464, {50, -100, 10}), 0xDC0096u);
  EXPECT_EQ(AdjustColour(0x8040C8, {50, -100, 10}), 0x8C00FFu);
}

TEST(SkinLayout, FacesAndGlyphsArePlaced) {
  const Rect area{3, 3, 97, 27};  // 100 x 30 button shrunk by 3
  EXPECT_EQ(PlaceFace(20, 10, kAlignCentre, area), (Rect{40, 10, 60, 20}));
  EXPECT_EQ(PlaceFace(20, 10, 0x20, area), (Rect{3, 3, 23, 13}));
  EXPECT_EQ(PlaceFace(20, 10, 0x2A, area), (Rect{77, 17, 97, 27}));
  EXPECT_EQ(PlaceFace(20, 10, 0x28, area), (Rect{3, 17, 23, 27}));
  GlyphLayout left = LayOutGlyph(100, 21, false);
  EXPECT_EQ(left.glyph, (Rect{0, 4, 13, 17}));
  EXPECT_EQ(left.text.left, 19);
  GlyphLayout right = LayOutGlyph(100, 21, true);
  EXPECT_EQ(right.glyph, (Rect{85, 4, 98, 17}));
  EXPECT_EQ(right.text.left, 4);
}

}  // namespace
}  // namespace zel::skin
