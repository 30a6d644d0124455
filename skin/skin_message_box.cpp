#include "skin/skin_message_box.h"

#include <memory>
#include <vector>

#include "common/texts.h"
#include "framework/text_edge.h"
#include "skin/dib_region.h"
#include "skin/fx_button.h"
#include "skin/shaped_dialog.h"

namespace zel::skin {
namespace {

HBITMAP FileBitmap(const char* name) {
  return static_cast<HBITMAP>(::LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// The request of the box that runs; boxes are never nested.
struct Request {
  BoxBuild build = BoxBuild::kDormel;
  int background = 0;
  std::string text, caption;
  int kind = 0;
};
Request g_request;
int g_tessaryBackground = 1;  // the security tool's box keeps its last background

// Pixel places on the background: the caption in the top band, the mark
// 14 pixels from the left edge in the body, the text beside it and the
// buttons in the bottom bar.
constexpr int kBand = 26, kBar = 40, kMark = 32, kMarkLeft = 14;

class CSkinMessageBox : public CShapedDialog {
 public:
  explicit CSkinMessageBox(const Request& r)
      : CShapedDialog(r.build == BoxBuild::kDormel ? kDormelBoxTemplate : kTessaryBoxTemplate),
        request_(r),
        layout_(ChooseBoxLayout(r.build, r.background, r.kind, g_tessaryBackground)) {}

  const BoxLayout& Layout() const { return layout_; }

 protected:
  bool OnInitDialog() override {
    const bool dormel = request_.build == BoxBuild::kDormel;
    if (dormel) {
      SetUpShape(LoadResourceBitmap(layout_.background), LoadResourceBitmap(layout_.background));
    } else {
      const char* file = TessaryBackgroundFile(layout_.background);
      SetUpShape(FileBitmap(file), FileBitmap(file));
    }
    for (int id : AllBoxControls(request_.build)) ::ShowWindow(Item(id), SW_HIDE);
    std::vector<int> shown = {layout_.captionId, layout_.textId, layout_.iconId};
    for (const BoxButton& b : layout_.buttons) shown.push_back(b.id);
    for (int id : shown) ::ShowWindow(Item(id), SW_SHOW);
    Place();

    icon_.SubclassDlgItem(layout_.iconId, *this);
    if (dormel) {
      icon_.SetStateBitmaps(static_cast<UINT>(request_.kind), true);
    } else if (const char* mark = TessaryMarkFile(request_.kind)) {
      icon_.SetStateBitmapFiles(fw::WideForWindow(mark), true);
    }
    icon_.SetStateBorderDepths(0, true);
    icon_.SetStateBorderStyles(kBorderFlat, true, kBorderFlat, kBorderFlat, kBorderFlat);
    icon_.SetStateKeyColor(RGB(0, 0, 0), true);
    icon_.Apply(ButtonBackground(), kNoFocusRect, 0);

    SetItemTextA(layout_.captionId, request_.caption);
    SetItemTextA(layout_.textId, request_.text);

    for (const BoxButton& b : layout_.buttons) {
      auto button = std::make_unique<CFxButton>();
      button->SubclassDlgItem(b.id, *this);
      const std::wstring caption = fw::WideForWindow(zel::TextA(b.key, b.text));
      if (dormel) {
        button->SetStateBitmaps(kDormelButtonFace, true);
        button->SetStateBlend(200, false, 30);
        button->SetBackgroundShift(false);
        button->SetFocusBlendBoost(50);
      } else {
        button->SetStateBitmapFiles(fw::WideForWindow(kTessaryButtonFile), true);
        button->SetStateBlend(200, false, 50, 255, 120);
      }
      button->SetStateBorderDepths(0, true);
      button->SetStateKeyColor(RGB(0, 0, 0), true);
      button->SetStateTexts(caption, true);
      button->SetStateFontHeights(13, true);
      const int sound = dormel ? kDormelButtonSound : kTessaryButtonSound;
      button->SetSounds(sound, sound);
      button->Apply(ButtonBackground(), kNoFocusRect, 0);
      buttons_.push_back(std::move(button));
    }
    if (!layout_.buttons.empty()) ::SetFocus(Item(layout_.buttons.front().id));
    return false;
  }

  bool HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (message == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
      const int id = LOWORD(wp);
      for (const BoxButton& b : layout_.buttons) {
        if (b.id == id && b.result != 0) {
          EndDialog(b.result);
          result = 0;
          return true;
        }
      }
      if (id == IDCANCEL) {  // Escape
        EndDialog(kBoxEscapeResult);
        result = 0;
        return true;
      }
      if (id == IDOK) {  // Enter without a button 1 in this layout: nothing
        result = 0;
        return true;
      }
    }
    return CShapedDialog::HandleMessage(message, wp, lp, result);
  }

 private:
  void Place() {
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    auto move = [this](int id, int x, int y, int cx, int cy) {
      ::SetWindowPos(Item(id), nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int bodyTop = kBand, bodyBottom = h - kBar;
    move(layout_.captionId, kMarkLeft, 5, w - 2 * kMarkLeft, kBand - 8);
    move(layout_.iconId, kMarkLeft, bodyTop + (bodyBottom - bodyTop - kMark) / 2, kMark, kMark);
    const int textLeft = kMarkLeft + kMark + 10;
    move(layout_.textId, textLeft, bodyTop + 6, w - textLeft - kMarkLeft, bodyBottom - bodyTop - 12);
    // Buttons: the face's size, right-aligned in the bottom bar.
    SIZE face{47, 22};
    HBITMAP probe = request_.build == BoxBuild::kDormel ? LoadResourceBitmap(kDormelButtonFace)
                                                        : FileBitmap(kTessaryButtonFile);
    if (probe) {
      BITMAP bm{};
      ::GetObjectW(probe, sizeof bm, &bm);
      face = {bm.bmWidth, bm.bmHeight};
      ::DeleteObject(probe);
    }
    const int gap = 8;
    int x = w - kMarkLeft - static_cast<int>(layout_.buttons.size()) * (face.cx + gap) + gap;
    if (x < gap) x = gap;
    for (const BoxButton& b : layout_.buttons) {
      move(b.id, x, h - kBar + (kBar - face.cy) / 2, face.cx, face.cy);
      x += face.cx + gap;
    }
  }

  Request request_;
  BoxLayout layout_;
  CFxButton icon_;
  std::vector<std::unique_ptr<CFxButton>> buttons_;
};

int Run(const Request& r, HWND owner) {
  g_request = r;
  CSkinMessageBox box(g_request);
  if (r.build == BoxBuild::kTessary) g_tessaryBackground = box.Layout().background;
  return static_cast<int>(box.DoModal(owner));
}

}  // namespace

int ShowDormelBox(HWND owner, int background, const std::string& text, const std::string& caption, int kind) {
  return Run({BoxBuild::kDormel, background, text, caption, kind}, owner);
}

int ShowTessaryBox(HWND owner, int background, const std::string& text, const std::string& caption, int kind) {
  PlayWave(TessaryKindSound(kind));
  return Run({BoxBuild::kTessary, background, text, caption, kind}, owner);
}

}  // namespace zel::skin
