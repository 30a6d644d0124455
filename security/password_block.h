// The 12-byte password block the bridge checks: the characters as typed
// (system code page, case kept) followed by spaces, no terminator. The tool
// never checks a password itself.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace zel {

inline constexpr size_t kPasswordBytes = 12;
using PasswordBlock = std::array<uint8_t, kPasswordBytes>;

// The typed text in code-page bytes, padded with 0x20; an empty text gives 12
// spaces. Callers refuse a text of more than 12 bytes (PasswordFits) before
// building a block: a longer text would be cut here.
PasswordBlock MakePasswordBlock(std::string_view typed);
inline bool PasswordFits(std::string_view typed) { return typed.size() <= kPasswordBytes; }

// Stands for an absent password: every byte 0xA5.
PasswordBlock BlankPasswordBlock();

// The unlock dialog's rule: an empty field sends the blank-password block.
PasswordBlock UnlockPasswordBlock(std::string_view typed);

}  // namespace zel
