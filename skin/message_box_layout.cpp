#include "skin/message_box_layout.h"

#include <algorithm>

namespace zel::skin {
namespace {

BoxLayout DormelLayout(int background, int kind) {
  const bool question = kind == kDormelQuestion;
  const BoxButton yes{0, 0, "OkBtn", "Yes"}, no{0, 0, "CancelBtn", "No"}, single{0, 0, "OkBtn", "Ok"};
  auto with = [](BoxButton b, int id, int result) {
    b.id = id;
    b.result = result;
    return b;
  };
  BoxLayout l;
  switch (background) {
    case kDormelLargeBox:
      l = {kDormelLargeBox, 1032, 1034, 1040, question, {}};
      l.buttons = question ? std::vector<BoxButton>{with(yes, 1036, 1036), with(no, 1039, 1039)}
                           : std::vector<BoxButton>{with(single, 1043, 1043)};
      break;
    case kDormelSmallBox:
      // The small box asks in every kind; each button ends it with its id.
      l = {kDormelSmallBox, 1033, 1035, 1041, true, {with(yes, 1038, 1038), with(no, 1037, 1037)}};
      break;
    default:
      l = {kDormelWideBox, 1029, 1030, 1040, question, {}};
      l.buttons = question ? std::vector<BoxButton>{with(yes, 1, 1), with(no, 2, 2)}
                           : std::vector<BoxButton>{with(single, 1042, 1042)};
      break;
  }
  return l;
}

BoxLayout TessaryLayout(int background, int kind, int previous) {
  if (background != 1 && background != 2) background = previous == 2 ? 2 : 1;
  const bool question = kind == kTessaryQuestion;
  BoxLayout l{background, 0, 0, 1049, question, {}};
  const char* yesKey = "YesButton";
  const char* noKey = "NoButton";
  if (background == 1) {
    l.captionId = 1056;
    l.textId = 1050;
    l.buttons = question ? std::vector<BoxButton>{{1052, 1052, yesKey, "Yes"}, {1053, 1053, noKey, "No"}}
                         : std::vector<BoxButton>{{1, 1, "OkButton", "OK"}};
  } else {
    l.captionId = 1057;
    l.textId = 1051;
    l.buttons = question ? std::vector<BoxButton>{{1054, 1054, yesKey, "Yes"}, {1055, 1055, noKey, "No"}}
                         : std::vector<BoxButton>{{1058, 1058, "OkButton", "OK"}};
  }
  return l;
}

}  // namespace

BoxLayout ChooseBoxLayout(BoxBuild build, int background, int kind, int previous) {
  return build == BoxBuild::kDormel ? DormelLayout(background, kind) : TessaryLayout(background, kind, previous);
}

std::vector<int> AllBoxControls(BoxBuild build) {
  std::vector<int> ids;
  auto add = [&ids](const BoxLayout& l) {
    for (int id : {l.captionId, l.textId, l.iconId}) ids.push_back(id);
    for (const BoxButton& b : l.buttons) ids.push_back(b.id);
  };
  if (build == BoxBuild::kDormel) {
    for (int bg : {kDormelWideBox, kDormelLargeBox, kDormelSmallBox})
      for (int kind : {kDormelError, kDormelQuestion}) add(DormelLayout(bg, kind));
  } else {
    for (int bg : {1, 2})
      for (int kind : {kTessaryError, kTessaryQuestion}) add(TessaryLayout(bg, kind, 1));
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

const char* TessaryBackgroundFile(int background) { return background == 2 ? "MesgBox2.bmp" : "MesgBox1.bmp"; }

const char* TessaryMarkFile(int kind) {
  switch (kind) {
    case kTessaryError: return "ErrMark.bmp";
    case kTessaryQuestion: return "QuesMark.bmp";
    case kTessaryInformation: return "InfoMark.bmp";
    case kTessaryWarning: return "WarnMark.bmp";
    default: return nullptr;
  }
}

int TessaryKindSound(int kind) {
  if (kind == kTessaryError) return 156;
  if (kind == kTessaryWarning) return 157;
  return 0;
}

}  // namespace zel::skin
