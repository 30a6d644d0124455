#include "security/win/button_looks.h"

#include "framework/text_edge.h"

namespace zel {
namespace {

using skin::CFxButton;

constexpr COLORREF kBlack = RGB(0, 0, 0);
// Captions of usable buttons. Black is the text setter's keep value, so a
// button greyed once could never get it back; the palette's near-black can.
constexpr COLORREF kCaptionText = RGB(0x11, 0x1D, 0x2B);
constexpr COLORREF kGreyedText = RGB(0xE6, 0xE6, 0xE6);
constexpr int kClickSound = 155, kDeniedSound = 158;
constexpr uint32_t kNoFocusRectangle = 0x10;

HBRUSH g_white = nullptr;
HBRUSH g_accent = nullptr;

}  // namespace

void SkinTextButton(CFxButton& button, const wchar_t* faceFile, const std::string& caption, HBITMAP background) {
  button.SetStateBitmapFiles(faceFile, true);
  button.SetStateBlend(200, false, 50, 255, 120);
  button.SetStateBorderDepths(0, true, 2, 2, 2);
  button.SetStateKeyColor(kBlack, true, CFxButton::FaceColour(), CFxButton::FaceColour(), CFxButton::FaceColour());
  SetCaption(button, caption);
  button.SetStateFontHeights(13, true, 11, 11, 11);
  button.SetSounds(kClickSound, kClickSound);
  button.Apply(background, kNoFocusRectangle, 0);
}

void SkinImageButton(CFxButton& button, const wchar_t* imageFile, COLORREF key, HBITMAP background) {
  button.SetStateBitmapFiles(imageFile, true);
  button.SetStateBorderDepths(0, true);
  button.SetStateBorderStyles(skin::kBorderFlat, true, skin::kBorderSunken, skin::kBorderRaised, skin::kBorderFlat);
  button.SetStateKeyColor(key, true);
  button.Apply(background, kNoFocusRectangle, 0);
}

void SkinWindowButton(CFxButton& button, const wchar_t* imageFile, HBITMAP background) {
  button.SetStateBitmapFiles(imageFile, true);
  button.SetStateBlend(220, false, 150, 255, 120);
  button.SetStateBorderDepths(0, true);
  button.SetStateBorderStyles(skin::kBorderFlat, true, skin::kBorderSunken, skin::kBorderRaised, skin::kBorderFlat);
  button.SetStateKeyColor(kBlack, true);
  button.SetSounds(kClickSound, kClickSound);
  button.Apply(background, kNoFocusRectangle, 0);
}

void SetUsableLook(CFxButton& button, bool usable) {
  if (usable) {
    // Each state takes its own blend here, 255 included: the button's
    // setter keeps a state at 255, so every state is reset first.
    button.SetStateBlend(255, true);
    button.SetStateBlend(200, false, 50, 255, 120);
    button.SetStateBorderStyles(skin::kBorderRaised, false, skin::kBorderSunken, skin::kBorderRaised,
                                skin::kBorderRaised);
    button.SetStateTextColors(kCaptionText, true, CFxButton::TextColour(), CFxButton::TextColour(),
                              CFxButton::GreyTextColour());
    button.SetSounds(kClickSound, kClickSound);
  } else {
    button.SetStateBlend(120, true, 255, 255, 255);
    button.SetStateBorderStyles(skin::kBorderRaised, true, skin::kBorderSunken, skin::kBorderRaised,
                                skin::kBorderFlat);
    button.SetStateTextColors(kGreyedText, true, CFxButton::TextColour(), CFxButton::TextColour(),
                              CFxButton::GreyTextColour());
    button.SetSounds(kDeniedSound, 0);
  }
  ::InvalidateRect(button.Handle(), nullptr, FALSE);
}

void SetCaption(CFxButton& button, const std::string& caption) {
  const std::wstring text = fw::WideForWindow(caption);
  button.SetStateTexts(text, true, text, text, text);
  // The window text too, for whoever reads the button (screen readers).
  ::SetWindowTextW(button.Handle(), text.c_str());
  ::InvalidateRect(button.Handle(), nullptr, FALSE);
}

HBRUSH WhiteBrush() { return g_white; }
HBRUSH AccentBrush() { return g_accent; }

void CreateBrushes() {
  if (!g_white) g_white = ::CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
  if (!g_accent) g_accent = ::CreateSolidBrush(RGB(109, 136, 158));
}

void PlaceOnPicture(HWND dialog) {
  constexpr int kUnitsAcross = 400, kUnitsDown = 800;
  RECT units{0, 0, kUnitsAcross, kUnitsDown};
  if (!::MapDialogRect(dialog, &units) || units.right <= 0 || units.bottom <= 0) return;
  const double sx = 1.75 * kUnitsAcross / units.right, sy = 1.625 * kUnitsDown / units.bottom;
  if (sx > 0.995 && sx < 1.005 && sy > 0.995 && sy < 1.005) return;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const auto scale = [](LONG v, double f) { return static_cast<int>(v * f + 0.5); };
    ::SetWindowPos(child, nullptr, scale(r.left, sx), scale(r.top, sy), scale(r.right - r.left, sx),
                   scale(r.bottom - r.top, sy), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HBITMAP LoadPictureFile(const char* name) {
  return static_cast<HBITMAP>(::LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

}  // namespace zel
