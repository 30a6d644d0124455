#include "tests/support/scripted_prompter.h"

namespace zel {
namespace {

constexpr uint32_t kButtonsMask = 0x0F;

}  // namespace

int AnswerQueue::Take() {
  if (answers_.empty()) return fallback_;
  const int id = answers_.front();
  answers_.pop_front();
  return id;
}

void ScriptedPrompter::Answer(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.Push(id);
}

void ScriptedPrompter::SetDefaultAnswer(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.SetDefault(id);
}

void ScriptedPrompter::OnShow(std::function<void(const ShownBox&)> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  hook_ = std::move(hook);
}

std::vector<ShownBox> ScriptedPrompter::Boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

size_t ScriptedPrompter::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_.size();
}

void ScriptedPrompter::ClearBoxes() {
  std::lock_guard<std::mutex> lock(mutex_);
  boxes_.clear();
}

int ScriptedPrompter::MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                                 uint32_t style) {
  ShownBox box{owner, text, caption, style, kIdOk};
  std::function<void(const ShownBox&)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if ((style & kButtonsMask) != kMbOk) box.answer = answers_.Take();
    boxes_.push_back(box);
    hook = hook_;
  }
  if (hook) hook(box);
  return box.answer;
}

void ScriptedSkinnedPrompter::Answer(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.Push(id);
}

void ScriptedSkinnedPrompter::SetDefaultAnswer(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.SetDefault(id);
}

std::vector<ShownSkinnedBox> ScriptedSkinnedPrompter::Boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

std::vector<int> ScriptedSkinnedPrompter::Sounds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sounds_;
}

void ScriptedSkinnedPrompter::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  boxes_.clear();
  sounds_.clear();
}

int ScriptedSkinnedPrompter::Show(int background, const std::string& text, const std::string& caption,
                                  int kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int answer = answers_.Take();
  boxes_.push_back({background, text, caption, kind, answer});
  return answer;
}

void ScriptedSkinnedPrompter::PlaySound(int waveId) {
  std::lock_guard<std::mutex> lock(mutex_);
  sounds_.push_back(waveId);
}

}  // namespace zel
