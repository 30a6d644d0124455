// Which controls the skinned message box shows for a request, what each of
// its buttons returns, and its texts, pictures and sounds. Two builds: the
// power tool's box takes its pictures from the program's resources, the
// security tool's box from bitmap files beside the program.
#pragma once
#include <vector>

namespace zel::skin {

enum class BoxBuild { kDormel, kTessary };

// Dialog templates of the two builds.
inline constexpr int kDormelBoxTemplate = 144;
inline constexpr int kTessaryBoxTemplate = 159;

// Kinds of the power tool's build (icon bitmap resource ids).
enum DormelKind : int { kDormelError = 145, kDormelQuestion = 146, kDormelWarning = 147, kDormelInformation = 148 };
// Kinds of the security tool's build.
enum TessaryKind : int { kTessaryError = 1, kTessaryQuestion = 2, kTessaryInformation = 3, kTessaryWarning = 4 };

// Backgrounds of the power tool's build (bitmap resource ids) with sizes.
inline constexpr int kDormelWideBox = 140;    // 285 x 121
inline constexpr int kDormelLargeBox = 149;   // 359 x 119
inline constexpr int kDormelSmallBox = 150;   // 125 x 118

// The button face, its sound and the result of Escape.
inline constexpr int kDormelButtonFace = 134;  // 47 x 22
inline constexpr int kDormelButtonSound = 141;
inline constexpr int kTessaryButtonSound = 155;
inline constexpr int kBoxEscapeResult = 2;

struct BoxButton {
  int id;
  int result;  // what a click returns; 0 for a button that does not end the box
  const char* key;
  const char* text;  // English default
};

struct BoxLayout {
  int background = 0;  // resource id (power tool) or file number 1/2 (security tool)
  int captionId = 0;
  int textId = 0;
  int iconId = 0;
  bool question = false;
  std::vector<BoxButton> buttons;
};

// The layout of a request. The security tool's build keeps the previous
// background (`previous`, 1 at first) for a background other than 1 or 2;
// the power tool's build shows an unknown background in the layout of 140.
BoxLayout ChooseBoxLayout(BoxBuild build, int background, int kind, int previous = 1);

// Every control id any layout of the build shows; the box hides those the
// chosen layout does not.
std::vector<int> AllBoxControls(BoxBuild build);

// The security tool's picture files and the sound its box plays before it
// shows (0 for none).
const char* TessaryBackgroundFile(int background);  // "MesgBox1.bmp", "MesgBox2.bmp"
const char* TessaryMarkFile(int kind);              // null for an unknown kind
inline constexpr const char* kTessaryButtonFile = "Btn2.bmp";
int TessaryKindSound(int kind);

}  // namespace zel::skin
