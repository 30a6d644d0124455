// Prompters for tests: answers come from a queue, and every box is recorded
// with its text, caption and style (or background and kind) so that a test
// can check what the user would have been told, in order. Safe to use from
// several threads (a copy run shows boxes from its worker).
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ports/prompter.h"

namespace zel {

// Answers in the order queued, then the default.
class AnswerQueue {
 public:
  explicit AnswerQueue(int fallback) : fallback_(fallback) {}
  void Push(int id) { answers_.push_back(id); }
  void SetDefault(int id) { fallback_ = id; }
  int Take();

 private:
  std::deque<int> answers_;
  int fallback_;
};

struct ShownBox {
  uintptr_t owner = 0;
  std::wstring text;
  std::wstring caption;
  uint32_t style = 0;
  int answer = 0;
};

class ScriptedPrompter : public Prompter {
 public:
  // Queues the answer of the next box that asks a question (Yes/No and the
  // like); boxes with only OK are answered OK without using the queue.
  void Answer(int id);
  // The answer to questions once the queue is empty (kIdNo unless set).
  void SetDefaultAnswer(int id);
  // Called for every box before it is answered (from the showing thread).
  void OnShow(std::function<void(const ShownBox&)> hook);

  std::vector<ShownBox> Boxes() const;
  size_t Count() const;
  void ClearBoxes();

  int MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                 uint32_t style) override;

 private:
  mutable std::mutex mutex_;
  AnswerQueue answers_{kIdNo};
  std::function<void(const ShownBox&)> hook_;
  std::vector<ShownBox> boxes_;
};

struct ShownSkinnedBox {
  int background = 0;
  std::string text;
  std::string caption;
  int kind = 0;
  int answer = 0;
};

class ScriptedSkinnedPrompter : public SkinnedPrompter {
 public:
  // Queues the result of the next box; once the queue is empty every box
  // gives the default result (kIdOk unless set).
  void Answer(int id);
  void SetDefaultAnswer(int id);

  std::vector<ShownSkinnedBox> Boxes() const;
  std::vector<int> Sounds() const;
  void Clear();

  int Show(int background, const std::string& text, const std::string& caption, int kind) override;
  void PlaySound(int waveId) override;

 private:
  mutable std::mutex mutex_;
  AnswerQueue answers_{kIdOk};
  std::vector<ShownSkinnedBox> boxes_;
  std::vector<int> sounds_;
};

}  // namespace zel
