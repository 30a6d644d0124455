#include <gtest/gtest.h>

#include <thread>

#include "tests/support/scripted_prompter.h"

#ifndef _WIN32
#include <cstdio>
#include <string>

#include "platform/posix/console_prompter.h"
#endif

namespace zel {
namespace {

TEST(ScriptedPrompter, QuestionsTakeQueuedAnswersAndOkBoxesDoNot) {
  ScriptedPrompter p;
  p.Answer(kIdYes);
  EXPECT_EQ(p.MessageBox(1, L"info", L"cap", kMbIconInformation), kIdOk);
  EXPECT_EQ(p.MessageBox(2, L"q1", L"cap", kMbYesNo | kMbIconInformation), kIdYes);
  EXPECT_EQ(p.MessageBox(3, L"q2", L"cap", kMbYesNo), kIdNo);  // the default once the queue is empty
  p.SetDefaultAnswer(kIdYes);
  EXPECT_EQ(p.MessageBox(4, L"q3", L"cap", kMbYesNo), kIdYes);
  auto boxes = p.Boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[1].owner, 2u);
  EXPECT_EQ(boxes[1].text, L"q1");
  EXPECT_EQ(boxes[1].style, 0x44u);
  EXPECT_EQ(boxes[2].answer, kIdNo);
}

TEST(ScriptedPrompter, BoxesFromSeveralThreadsAreAllRecorded) {
  ScriptedPrompter p;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&p] {
      for (int i = 0; i < 100; ++i) p.MessageBox(0, L"x", L"c", kMbOk);
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(p.Count(), 400u);
}

TEST(ScriptedSkinnedPrompter, RecordsBoxesAndSounds) {
  ScriptedSkinnedPrompter p;
  p.Answer(kIdCancel);
  EXPECT_EQ(p.Show(3, "text", "caption", 1), kIdCancel);
  EXPECT_EQ(p.Show(4, "again", "caption", 2), kIdOk);
  p.PlaySound(101);
  auto boxes = p.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].background, 3);
  EXPECT_EQ(boxes[1].text, "again");
  EXPECT_EQ(boxes[1].kind, 2);
  EXPECT_EQ(p.Sounds(), std::vector<int>{101});
}

#ifndef _WIN32
std::string Converse(ConsolePrompter::Answers answers, const std::string& typed, uint32_t style, int& answer) {
  std::FILE* in = tmpfile();
  std::FILE* out = tmpfile();
  std::fputs(typed.c_str(), in);
  std::rewind(in);
  ConsolePrompter p(answers, in, out);
  answer = p.MessageBox(0, L"Do it?", L"Prompt Message", style);
  std::rewind(out);
  std::string printed;
  char buf[256];
  while (std::fgets(buf, sizeof buf, out)) printed += buf;
  std::fclose(in);
  std::fclose(out);
  return printed;
}

TEST(ConsolePrompter, AsksUntilAnsweredOrTakesTheFixedAnswer) {
  int answer = 0;
  EXPECT_EQ(Converse(ConsolePrompter::Answers::Ask, "maybe\n Yes \n", kMbYesNo, answer),
            "[Prompt Message] Do it?\n[y/n] [y/n] ");
  EXPECT_EQ(answer, kIdYes);
  Converse(ConsolePrompter::Answers::Ask, "", kMbYesNo, answer);  // end of input
  EXPECT_EQ(answer, kIdNo);
  EXPECT_EQ(Converse(ConsolePrompter::Answers::AlwaysYes, "", kMbYesNo, answer),
            "[Prompt Message] Do it?\n[y/n] y (--yes)\n");
  EXPECT_EQ(answer, kIdYes);
  Converse(ConsolePrompter::Answers::AlwaysNo, "y\n", kMbYesNo, answer);
  EXPECT_EQ(answer, kIdNo);
  EXPECT_EQ(Converse(ConsolePrompter::Answers::Ask, "n\n", kMbIconError, answer), "[Prompt Message] Do it?\n");
  EXPECT_EQ(answer, kIdOk);
}
#endif

}  // namespace
}  // namespace zel
