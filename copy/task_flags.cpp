#include "copy/task_flags.h"

namespace zel {
namespace {

struct FlagLetter {
  uint16_t bit;
  wchar_t letter;
};
constexpr FlagLetter kLetters[] = {
    {kTaskActive, L'A'}, {kTaskSubdirs, L'S'}, {kTaskOverwrite, L'O'}, {kTaskNewer, L'N'},
    {kTaskBackup, L'B'}, {kTaskRestore, L'R'}, {kTaskSynchronise, L'Y'},
};
constexpr uint16_t kDirectionBits = kTaskBackup | kTaskRestore | kTaskSynchronise;

}  // namespace

uint8_t ButtonModeFromConfig(int32_t value) {
  return (value & 0xFF) == 2 ? kButtonModeTwo : kButtonModeOne;
}

uint16_t LettersToFlags(const std::wstring& letters) {
  uint16_t flags = 0;
  for (wchar_t c : letters) {
    for (const FlagLetter& f : kLetters) {
      if (c == f.letter) flags |= f.bit;
    }
  }
  return flags;
}

std::wstring FlagsToLetters(uint16_t flags, uint8_t buttonMode) {
  std::wstring out;
  for (const FlagLetter& f : kLetters) {
    if ((f.bit & kDirectionBits) && buttonMode != kButtonModeOne) continue;
    if (flags & f.bit) out.push_back(f.letter);
  }
  return out;
}

}  // namespace zel
