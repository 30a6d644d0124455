// The kit's demo (a test program, not shipped): a shaped dialog with
// skinned push buttons, check boxes and radio buttons in every state, and
// the skinned message box of both builds in every layout.
//   skin_demo buttons LOG          the button dialog; clicks go to LOG
//   skin_demo box dormel|tessary BACKGROUND KIND LOG
//                                  one message box; its result goes to LOG
// Pictures the program's resources or files lack are made in code.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "skin/dib_region.h"
#include "skin/fx_button.h"
#include "skin/shaped_dialog.h"
#include "skin/skin_message_box.h"
#include "tests/skin/test_pictures.h"

namespace {

using namespace zel::skin;

std::string g_log;

void Log(const std::string& line) {
  std::FILE* f = std::fopen(g_log.c_str(), "a");
  if (!f) return;
  std::fprintf(f, "%s\n", line.c_str());
  std::fclose(f);
}

constexpr int kDemoTemplate = 300;
const COLORREF kBody = RGB(0x1B, 0x2D, 0x40);

class CDemoDialog : public CShapedDialog {
 public:
  CDemoDialog() : CShapedDialog(kDemoTemplate) {}

 protected:
  bool OnInitDialog() override {
    const int w = 520, h = 300;
    SetUpShape(test::MakePanel(w, h, 10, kBody, 30, 0), test::MakePanel(w, h, 10, kBody, 30, 0));
    SetText(L"Skin demo");
    // The security tool's button face when it lies beside the demo, else a made one.
    std::wstring faceFile = L"Btn2.bmp";
    if (::GetFileAttributesW(faceFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
      faceFile = L"DemoFace.bmp";
      HBITMAP made = test::MakePanel(84, 26, 10, RGB(0xD8, 0xE3, 0xEC));
      test::WriteBmp("DemoFace.bmp", made);
      ::DeleteObject(made);
    }
    Place(2001, 20, 60, 84, 26);
    Place(2002, 116, 60, 100, 26);
    Place(2003, 228, 60, 84, 26);
    Place(2004, 324, 60, 84, 26);
    for (int i = 0; i < 4; ++i) Place(2011 + i, 30, 110 + 28 * i, 140, 22);
    for (int i = 0; i < 4; ++i) Place(2021 + i, 220, 110 + 28 * i, 140, 22);
    Place(2030, 16, 7, 300, 18);
    for (int id : {2001, 2003, 2004}) {
      auto b = Bind(id);
      b->SetStateBitmapFiles(faceFile, true);
      b->SetStateBlend(200, false, 50, 255, 120);
      b->SetStateBorderDepths(0, true);
      b->SetStateKeyColor(RGB(0, 0, 0), true);
      b->SetStateFontHeights(15, true);
      b->SetStateTextColors(RGB(0x11, 0x1D, 0x2B), false, RGB(0x11, 0x1D, 0x2B), RGB(0x24, 0x79, 0xB0));
      b->SetFocusBlendBoost(50);
      b->SetSounds(0, 0);
      b->Apply(ButtonBackground(), 0, id == 2004 ? 1 : 0);
      if (id == 2001) b->SetTooltip(L"A skinned push button", RGB(0, 0, 0), RGB(0xFF, 0xFF, 0xE1));
      buttons_.push_back(std::move(b));
    }
    {  // a rounded button with a fill and a border of its own
      auto b = Bind(2002);
      b->SetCorners(20, 20);
      b->SetStateBackgroundFill(true, true);
      b->SetStateBackgroundColors(RGB(0x3D, 0xB2, 0xE3), false, RGB(0x24, 0x79, 0xB0), RGB(0x5C, 0xC4, 0xEE),
                                  RGB(0x6D, 0x88, 0x9E));
      b->SetStateTextColors(RGB(255, 255, 255), true);
      b->SetStateFontHeights(15, true);
      b->Apply(nullptr, 0, 0);
      buttons_.push_back(std::move(b));
    }
    for (int id : {2011, 2012, 2013, 2014, 2021, 2022, 2023, 2024}) {
      auto b = Bind(id);
      b->SetStateTextColors(RGB(0xEA, 0xF1, 0xF7), true);
      b->SetStateFontHeights(15, true);
      b->SetStateBorderDepths(0, true);
      b->Apply(ButtonBackground(), 0, id == 2012 || id == 2022 ? 1 : 0);
      buttons_.push_back(std::move(b));
    }
    return true;
  }

  bool HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (message == WM_COMMAND && HIWORD(wp) == BN_CLICKED && LOWORD(wp) > 2000) {
      Log("click " + std::to_string(LOWORD(wp)));
      result = 0;
      return true;
    }
    return CShapedDialog::HandleMessage(message, wp, lp, result);
  }

 private:
  void Place(int id, int x, int y, int w, int h) {
    ::SetWindowPos(Item(id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  std::unique_ptr<CFxButton> Bind(int id) {
    auto b = std::make_unique<CFxButton>();
    b->SubclassDlgItem(id, *this);
    return b;
  }
  std::vector<std::unique_ptr<CFxButton>> buttons_;
};

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  SetResourceBitmapLoader(&test::ResourceOrMade);
  SetSoundPlayer(nullptr);  // the demo is silent
  const std::string mode = argc > 1 ? argv[1] : "buttons";
  if (mode == "buttons" && argc > 2) {
    g_log = argv[2];
    CDemoDialog dialog;
    Log("ready");
    INT_PTR r = dialog.DoModal(nullptr);
    Log("ended " + std::to_string(r));
    return 0;
  }
  if (mode == "box" && argc > 5) {
    g_log = argv[5];
    const int background = std::atoi(argv[3]), kind = std::atoi(argv[4]);
    const std::string build = argv[2];
    test::EnsureBoxFiles();
    int r = build == "dormel"
                ? ShowDormelBox(nullptr, background, "The disk could not be set to this standby time.",
                                "Power settings", kind)
                : ShowTessaryBox(nullptr, background, "The password you typed is not correct.", "Disk security",
                                 kind);
    Log("result " + std::to_string(r));
    return 0;
  }
  std::fprintf(stderr, "usage: skin_demo buttons LOG | box dormel|tessary BACKGROUND KIND LOG\n");
  return 2;
}
