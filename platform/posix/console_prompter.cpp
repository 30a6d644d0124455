#include "platform/posix/console_prompter.h"

#include <cctype>
#include <string>

#include "common/text.h"

namespace zel {
namespace {

constexpr uint32_t kButtonsMask = 0x0F;

std::string Trimmed(const char* line) {
  std::string s(line);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  size_t start = 0;
  while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start]))) ++start;
  s = s.substr(start);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

ConsolePrompter::ConsolePrompter(Answers answers, std::FILE* in, std::FILE* out)
    : answers_(answers), in_(in), out_(out) {}

void ConsolePrompter::BeforeBox(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  beforeBox_ = std::move(hook);
}

int ConsolePrompter::MessageBox(uintptr_t, const std::wstring& text, const std::wstring& caption,
                                uint32_t style) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (beforeBox_) beforeBox_();
  std::fprintf(out_, "[%s] %s\n", WideToUtf8(caption).c_str(), WideToUtf8(text).c_str());
  if ((style & kButtonsMask) != kMbYesNo) {
    std::fflush(out_);
    return kIdOk;
  }
  return AskYesNo();
}

int ConsolePrompter::AskYesNo() {
  if (answers_ != Answers::Ask) {
    const bool yes = answers_ == Answers::AlwaysYes;
    std::fprintf(out_, "[y/n] %s (%s)\n", yes ? "y" : "n", yes ? "--yes" : "--no");
    std::fflush(out_);
    return yes ? kIdYes : kIdNo;
  }
  char line[256];
  for (;;) {
    std::fprintf(out_, "[y/n] ");
    std::fflush(out_);
    if (std::fgets(line, sizeof line, in_) == nullptr) {
      std::fprintf(out_, "n (no answer)\n");
      return kIdNo;
    }
    const std::string answer = Trimmed(line);
    if (answer == "y" || answer == "yes") return kIdYes;
    if (answer == "n" || answer == "no") return kIdNo;
  }
}

}  // namespace zel
