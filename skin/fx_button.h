// CFxButton: an owner-drawn button with four looks (normal, pressed, hover,
// disabled), each with its own face bitmap, blend level, key colours, text,
// font, colours, fill, border and placement. It draws itself over a copy of
// the dialog background under it, can take the shape of its face or of a
// rounded rectangle, plays sounds on hover and press, shows a tooltip and
// acts as a push button, check box or radio button as its template style
// says. Bind it with SubclassDlgItem, configure it with the setters, then
// call Apply once.
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "framework/controls.h"
#include "skin/button_rules.h"

namespace zel::skin {

// Posted to the other members of a radio group when one becomes checked.
inline constexpr UINT kUncheckRadio = WM_USER + 100;  // 1124

class CFxButton : public fw::CButton {
 public:
  CFxButton();
  ~CFxButton() override;

  // Binds the dialog's control: reads its kind from the style, makes it
  // owner-drawn and sets every look to its default.
  bool SubclassDlgItem(int id, const fw::CWindow& parent);

  static COLORREF FaceColour() { return ::GetSysColor(COLOR_BTNFACE); }
  static COLORREF TextColour() { return ::GetSysColor(COLOR_BTNTEXT); }
  static COLORREF GreyTextColour() { return ::GetSysColor(COLOR_GRAYTEXT); }

  // Four-state setters: (normal, apply-to-all, pressed, hover, disabled); a
  // value equal to the keep value leaves that state alone, or with
  // apply-to-all gives it the normal state's value.
  void SetStateBitmaps(UINT normal, bool all, UINT pressed = 0, UINT hover = 0, UINT disabled = 0);
  void SetStateBitmapFiles(const std::wstring& normal, bool all, const std::wstring& pressed = L"",
                           const std::wstring& hover = L"", const std::wstring& disabled = L"");
  void SetStateBlend(int normal, bool all, int pressed = 255, int hover = 255, int disabled = 255);
  void SetStateKeyColor(COLORREF normal, bool all, COLORREF pressed = FaceColour(), COLORREF hover = FaceColour(),
                        COLORREF disabled = FaceColour());
  void SetStateTextColors(COLORREF normal, bool all, COLORREF pressed = TextColour(), COLORREF hover = TextColour(),
                          COLORREF disabled = GreyTextColour());
  void SetStateFontHeights(int normal, bool all, int pressed = 11, int hover = 11, int disabled = 11);
  void SetStateBorderDepths(int normal, bool all, int pressed = 2, int hover = 2, int disabled = 2);
  void SetStateBorderStyles(int normal, bool all, int pressed = kBorderSunken, int hover = kBorderRaised,
                            int disabled = kBorderFlat);
  void SetStateTexts(const std::wstring& normal, bool all, const std::wstring& pressed = L"",
                     const std::wstring& hover = L"", const std::wstring& disabled = L"");
  void SetStateWindowShape(bool normal, bool all, bool pressed = false, bool hover = false, bool disabled = false);
  void SetStateBackgroundFill(bool normal, bool all, bool pressed = false, bool hover = false,
                              bool disabled = false);
  // Fill colours (keep value: the system button-face colour).
  void SetStateBackgroundColors(COLORREF normal, bool all, COLORREF pressed = FaceColour(),
                                COLORREF hover = FaceColour(), COLORREF disabled = FaceColour());

  // Whole-button settings.
  void SetCorners(int width, int height);
  void SetBackgroundShift(bool on);
  void SetFocusBlendBoost(int boost);
  void SetFocusLook(bool on);
  void SetFocusRect(bool on);
  void SetFontStyle(int flags);
  void SetFaceName(const std::wstring& name);
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

  void SetSounds(int pressSound, int hoverSound);
  void SetTooltip(const std::wstring& text, COLORREF textColour, COLORREF backgroundColour);
  // Every look property and whole-button setting of `other`, keeping this
  // button's own texts and face bitmaps.
  void CopyStyleFrom(const CFxButton& other);
  // Finishes the configuration: snapshot of `background` under the button
  // (may be null), borders, layout, regions; `options` are ApplyOption bits.
  void Apply(HBITMAP background, uint32_t options, int checked);

  int Kind() const { return kind_.kind; }
  bool Ready() const { return ready_; }
  bool Hovering() const { return hover_; }
  int Checked() const { return checked_; }
  int LastState() const { return lastState_; }
  int BlendOf(int state) const { return looks_[StateIndex(state)].blend; }
  // The region the given state gives the window (null when none).
  HRGN WindowRegionOf(int state) const;
  // The region the given state's face is clipped to (null when masking is
  // off or the state has no face).
  HRGN MaskRegionOf(int state) const;

  ZEL_DECLARE_MESSAGE_MAP()

 private:
  struct Face;
  struct Region;
  struct Look {
    std::shared_ptr<Face> face;
    SIZE size{};
    bool hasFaceRect = false;
    RECT faceRect{};
    int align = kAlignCentre;
    int blend = 255;
    COLORREF maskA = 0, maskB = 0;
    bool masking = false;
    bool windowShape = false;
    COLORREF shapeA = 0, shapeB = 0;
    bool invertShape = false;
    std::wstring text;
    bool hasTextRect = false;
    RECT textRect{};
    int fontHeight = 11;
    COLORREF textColour = 0;
    int textFormat = 37;
    bool fill = true;
    COLORREF background = 0;
    int depth = 2;
    int style = kBorderRaised;
    BorderColours border{};
    std::shared_ptr<Region> mask, window;
  };

  template <class T, class Field>
  void SetFour(Field field, const std::array<T, kStateCount>& args, bool all, const std::array<T, kStateCount>& keep,
               const SetterRule& rule = {}, bool* stored = nullptr);
  void SetFaces(const std::array<std::shared_ptr<Face>, kStateCount>& faces, bool all);
  void Repaint();
  bool Rounded() const { return cornerW_ != 0 || cornerH_ != 0; }
  int LargestDepth() const;
  RECT ClientRect() const;
  void BuildRegions(Look& look, const RECT& button);
  void ShareEqualRegions();
  void SetShape(const std::shared_ptr<Region>& region);
  void RelayToTooltip(UINT message, WPARAM wp, LPARAM lp);
  void SetPushedLook(bool pushed);
  void CheckRadio();

  void Draw(const DRAWITEMSTRUCT& item);
  void DrawFace(HDC dc, const Look& look, int state, bool focusedLook);
  void DrawCaption(HDC dc, const Look& look, int state, bool focusedLook);
  void DrawRoundedFrame(HDC dc, const Look& look, bool focusedLook, const RECT& r);
  void DrawRectBorder(HDC dc, const Look& look, bool focusedLook, const RECT& r);
  COLORREF Focused(COLORREF c, bool focusedLook) const;

  LRESULT OnDrawItem(WPARAM wp, LPARAM lp);
  LRESULT OnEraseBackground(WPARAM wp, LPARAM lp);
  LRESULT OnMouseMove(WPARAM wp, LPARAM lp);
  LRESULT OnMouseHover(WPARAM wp, LPARAM lp);
  LRESULT OnMouseLeave(WPARAM wp, LPARAM lp);
  LRESULT OnLeftDown(WPARAM wp, LPARAM lp);
  LRESULT OnLeftUp(WPARAM wp, LPARAM lp);
  LRESULT OnDoubleClick(WPARAM wp, LPARAM lp);
  LRESULT OnKeyDown(WPARAM wp, LPARAM lp);
  LRESULT OnSetFocus(WPARAM wp, LPARAM lp);
  LRESULT OnKillFocus(WPARAM wp, LPARAM lp);
  LRESULT OnSetCursor(WPARAM wp, LPARAM lp);
  LRESULT OnSetCheck(WPARAM wp, LPARAM lp);
  LRESULT OnGetCheck(WPARAM wp, LPARAM lp);
  LRESULT OnUncheckRadio(WPARAM wp, LPARAM lp);

  ButtonKind kind_;
  std::array<Look, kStateCount> looks_;
  int cornerW_ = 0, cornerH_ = 0;
  bool backgroundShift_ = true;
  bool focusLook_ = true;
  bool focusRect_ = true;
  int focusBoost_ = 0;
  FocusAdjust focusAdjust_;
  int fontStyle_ = 0, focusFontStyle_ = 0, focusHeightChange_ = 0;
  std::wstring faceName_;
  int pressSound_ = 0, hoverSound_ = 0;
  bool sounds_ = false;
  HCURSOR cursor_ = nullptr;
  HDC snapshotDc_ = nullptr;
  HGDIOBJ snapshotOld_ = nullptr;
  HBITMAP snapshot_ = nullptr;
  HWND tooltip_ = nullptr;
  int checked_ = 0;
  bool ready_ = false;
  bool fillOn_ = true, textOn_ = true, facesOn_ = true, bordersOn_ = true, focusRectOn_ = true;
  // Transient.
  bool hover_ = false, tracking_ = false, pressedInside_ = false, pressOutside_ = false, focused_ = false;
  int lastState_ = kStateNormal;
  const Region* shownShape_ = nullptr;
};

}  // namespace zel::skin
