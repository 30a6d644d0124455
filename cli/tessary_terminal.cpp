#include "cli/tessary_terminal.h"

#include <termios.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/command.h"
#include "common/aspi.h"
#include "common/device_list.h"
#include "common/text.h"
#include "common/transport.h"
#include "ports/platform.h"
#include "security/code_page.h"
#include "security/messages.h"

namespace zel::cli {
namespace {

bool GetLine(std::string& out) {
  out.clear();
  if (!std::getline(std::cin, out)) return false;
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return true;
}

}  // namespace

int TerminalPrompter::Show(int, const std::string& text, const std::string& caption, int kind) {
  if (kind != kKindQuestion) {
    std::FILE* to = kind == kKindInformation ? stdout : stderr;
    std::fprintf(to, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(to);
    return kIdOk;
  }
  std::printf("%s: %s ", caption.c_str(), text.c_str());
  if (assumeYes_) {
    std::printf("yes\n");
    return kIdYes;
  }
  std::printf("[y/N] ");
  std::fflush(stdout);
  std::string answer;
  const bool got = GetLine(answer);
  if (!got || !isatty(STDIN_FILENO)) std::printf("%s\n", answer.c_str());  // what a terminal would echo
  if (!got) return kIdNo;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" ? kIdYes : kIdNo;
}

bool ReadSecret(const char* prompt, std::string& out) {
  if (!isatty(STDIN_FILENO)) return GetLine(out);
  std::fprintf(stderr, "%s", prompt);
  std::fflush(stderr);
  termios saved{};
  const bool haveTerm = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (haveTerm) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  const bool ok = GetLine(out);
  if (haveTerm) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  std::fprintf(stderr, "\n");
  return ok;
}

bool ReadLine(const char* prompt, std::string& out) {
  if (isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "%s", prompt);
    std::fflush(stderr);
  }
  return GetLine(out);
}

bool TypedToCodePage(const char* name, const std::string& typed, std::string& bytes) {
  const std::wstring characters = Utf8ToWide(typed);
  if (WideToCodePage(characters, bytes)) return true;
  // Name the first character that does not convert.
  std::string ignored;
  for (wchar_t c : characters) {
    if (WideToCodePage(std::wstring(1, c), ignored)) continue;
    std::fprintf(stderr, "%s: code page %u has no character \"%s\" (U+%04X); choose another with --code-page\n",
                 name, SelectedCodePage(), WideToUtf8(std::wstring(1, c)).c_str(), static_cast<unsigned>(c));
    return false;
  }
  std::fprintf(stderr, "%s: the text cannot be written in code page %u\n", name, SelectedCodePage());
  return false;
}

std::string CodePageToTerminal(const std::string& bytes) {
  std::wstring characters;
  return CodePageToWide(bytes, characters) ? WideToUtf8(characters) : std::string();
}

TerminalProgress::TerminalProgress(uint64_t diskBytes)
    : diskBytes_(diskBytes), lines_(isatty(fileno(stdout)) == 0), bar_(stderr) {}

TerminalProgress::~TerminalProgress() { bar_.Clear(); }

void TerminalProgress::ShowProgress(uint8_t percent) {
  if (lines_ || !bar_.Live()) {
    bar_.Clear();
    std::printf("progress %u%%\n", percent);
    std::fflush(stdout);
  }
  ProgressSample sample;
  sample.percent = percent;
  sample.bytes = diskBytes_ / 100 * percent;
  sample.seconds = bar_.Seconds();
  bar_.Update(sample, std::string(), percent == 100);
  if (percent == 100) bar_.Finish();
}

TessarySession::~TessarySession() {
  if (aspi_) UnloadAspi();
}

int TessarySession::Open(const char* name, const char* usage, const Arguments& args) {
  prompter_ = std::make_unique<TerminalPrompter>(args.Has("--yes"));
  std::string codePage;
  if (args.Value("--code-page", codePage)) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(codePage.c_str(), &end, 10);
    if (codePage.empty() || *end != '\0' || number == 0 || number > UINT_MAX) {
      std::fprintf(stderr, "usage: %s %s\n", name, usage);
      return 2;
    }
    if (!SelectCodePage(static_cast<unsigned>(number))) {
      std::fprintf(stderr, "%s: code page %lu cannot be converted on this system (see iconv -l)\n", name,
                   number);
      return 2;
    }
  }
  Ports().skinned = prompter_.get();
  std::string error;
  if (!platform_.Open(args, error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    return 1;
  }
  Ports().skinned = prompter_.get();
  aspi_ = Ports().family == SystemFamily::Win98 && LoadAspiCommandOnly();
  if (const sim::ViewPass pass = platform_.DevicePass(); EnumerateDevices(GlobalDeviceList()) != 0) {
    std::fprintf(stderr, "%s: no supported device\n", name);
    return 1;
  }
  return 0;
}

void TessarySession::Rediscover() {
  platform_.RereadDisks();
  const sim::ViewPass pass = platform_.DevicePass();
  EnumerateDevices(GlobalDeviceList());
}

}  // namespace zel::cli
