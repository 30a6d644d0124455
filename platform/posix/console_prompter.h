// The message box on a terminal: the caption and text are printed, and a
// Yes/No question is asked on the terminal or answered by a fixed choice
// (the command line's --yes or --no). Boxes from several threads are shown
// one after the other.
#pragma once
#include <cstdio>
#include <functional>
#include <mutex>

#include "ports/prompter.h"

namespace zel {

class ConsolePrompter : public Prompter {
 public:
  enum class Answers { Ask, AlwaysYes, AlwaysNo };

  explicit ConsolePrompter(Answers answers, std::FILE* in = stdin, std::FILE* out = stderr);

  // Runs before a box is printed, so that a progress line can make room.
  void BeforeBox(std::function<void()> hook);

  int MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                 uint32_t style) override;

 private:
  int AskYesNo();

  Answers answers_;
  std::FILE* in_;
  std::FILE* out_;
  std::function<void()> beforeBox_;
  std::mutex mutex_;
};

}  // namespace zel
