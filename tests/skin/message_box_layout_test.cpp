#include "skin/message_box_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace zel::skin {
namespace {

std::vector<int> Results(const BoxLayout& l) {
  std::vector<int> r;
  for (const BoxButton& b : l.buttons) r.push_back(b.result);
  return r;
}

TEST(SkinMessageBox, PowerToolLayouts) {
  BoxLayout ask = ChooseBoxLayout(BoxBuild::kDormel, 149, kDormelQuestion);
  EXPECT_EQ(ask.captionId, 1032);
  EXPECT_EQ(ask.textId, 1034);
  ASSERT_EQ(ask.buttons.size(), 2u);
  EXPECT_EQ(ask.buttons[1].id, 1039);
  EXPECT_EQ(ask.buttons[1].result, 1039);  // No, which the callers test
  EXPECT_STREQ(ask.buttons[1].key, "CancelBtn");
  EXPECT_EQ(Results(ChooseBoxLayout(BoxBuild::kDormel, 149, kDormelError)), std::vector<int>{1043});
  EXPECT_EQ(Results(ChooseBoxLayout(BoxBuild::kDormel, 140, kDormelQuestion)), (std::vector<int>{1, 2}));
  BoxLayout warn = ChooseBoxLayout(BoxBuild::kDormel, 140, kDormelWarning);
  EXPECT_EQ(Results(warn), std::vector<int>{1042});
  EXPECT_STREQ(warn.buttons[0].text, "Ok");
  EXPECT_EQ(Results(ChooseBoxLayout(BoxBuild::kDormel, 140, kDormelInformation)), std::vector<int>{1042});
  BoxLayout small = ChooseBoxLayout(BoxBuild::kDormel, 150, kDormelError);
  EXPECT_EQ(small.iconId, 1041);
  EXPECT_TRUE(small.question);
  EXPECT_EQ(Results(small), (std::vector<int>{1038, 1037}));
}

TEST(SkinMessageBox, SecurityToolLayoutsAndSounds) {
  EXPECT_EQ(Results(ChooseBoxLayout(BoxBuild::kTessary, 1, kTessaryQuestion)), (std::vector<int>{1052, 1053}));
  BoxLayout one = ChooseBoxLayout(BoxBuild::kTessary, 1, kTessaryInformation);
  EXPECT_EQ(Results(one), std::vector<int>{1});
  EXPECT_STREQ(one.buttons[0].key, "OkButton");
  EXPECT_STREQ(one.buttons[0].text, "OK");
  EXPECT_EQ(Results(ChooseBoxLayout(BoxBuild::kTessary, 2, kTessaryQuestion)), (std::vector<int>{1054, 1055}));
  BoxLayout two = ChooseBoxLayout(BoxBuild::kTessary, 2, kTessaryWarning);
  EXPECT_EQ(Results(two), std::vector<int>{1058});
  EXPECT_EQ(two.captionId, 1057);
  EXPECT_EQ(two.iconId, 1049);
  // Another background keeps the previous one.
  EXPECT_EQ(ChooseBoxLayout(BoxBuild::kTessary, 7, kTessaryError, 2).background, 2);
  EXPECT_EQ(ChooseBoxLayout(BoxBuild::kTessary, 0, kTessaryError, 1).background, 1);
  EXPECT_STREQ(TessaryBackgroundFile(2), "MesgBox2.bmp");
  EXPECT_STREQ(TessaryMarkFile(kTessaryWarning), "WarnMark.bmp");
  EXPECT_EQ(TessaryMarkFile(9), nullptr);
  EXPECT_EQ(TessaryKindSound(kTessaryError), 156);
  EXPECT_EQ(TessaryKindSound(kTessaryWarning), 157);
  EXPECT_EQ(TessaryKindSound(kTessaryQuestion), 0);
  EXPECT_EQ(TessaryKindSound(kTessaryInformation), 0);
}

TEST(SkinMessageBox, EveryShownControlIsOneTheBoxCanHide) {
  for (BoxBuild build : {BoxBuild::kDormel, BoxBuild::kTessary}) {
    std::vector<int> all = AllBoxControls(build);
    const std::vector<int> backgrounds =
        build == BoxBuild::kDormel ? std::vector<int>{140, 149, 150} : std::vector<int>{1, 2};
    for (int bg : backgrounds) {
      for (int kind = 0; kind < 150; ++kind) {
        BoxLayout l = ChooseBoxLayout(build, bg, kind);
        for (int id : {l.captionId, l.textId, l.iconId})
          EXPECT_TRUE(std::binary_search(all.begin(), all.end(), id)) << id;
        for (const BoxButton& b : l.buttons) EXPECT_TRUE(std::binary_search(all.begin(), all.end(), b.id)) << b.id;
      }
    }
  }
}

}  // namespace
}  // namespace zel::skin
