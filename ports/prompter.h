// What the user is told and asked.
#pragma once
#include <cstdint>
#include <string>

// <windows.h> makes MessageBox a macro; the method is our own. Include it
// before this header where both are needed.
#undef MessageBox

namespace zel {

// Message box styles and answers, numbered as the system numbers them.
enum : uint32_t {
  kMbOk = 0x00, kMbYesNo = 0x04, kMbIconError = 0x10, kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30, kMbIconInformation = 0x40, kMbTopmost = 0x40000
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// The system message box of the copy utility (wide texts).
class Prompter {
 public:
  virtual ~Prompter() = default;
  // `owner` is an opaque window handle or 0. Returns the answer (kIdOk, kIdYes, ...).
  virtual int MessageBox(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                         uint32_t style) = 0;
};

// The skinned message box of the security and power tools (8-bit texts).
// `background` and `kind` are the values each tool passes (see skin/); the
// result is the id of the button that closed the box.
class SkinnedPrompter {
 public:
  virtual ~SkinnedPrompter() = default;
  virtual int Show(int background, const std::string& text, const std::string& caption, int kind) = 0;
  // Plays a WAVE resource of the program asynchronously; nothing when it has none.
  virtual void PlaySound(int waveId) = 0;
};

}  // namespace zel
