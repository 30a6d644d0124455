#include "security/password_block.h"

#include <cstring>

namespace zel {

PasswordBlock MakePasswordBlock(std::string_view typed) {
  PasswordBlock b;
  b.fill(0x20);
  std::memcpy(b.data(), typed.data(), typed.size() < kPasswordBytes ? typed.size() : kPasswordBytes);
  return b;
}

PasswordBlock BlankPasswordBlock() {
  PasswordBlock b;
  b.fill(0xA5);
  return b;
}

PasswordBlock UnlockPasswordBlock(std::string_view typed) {
  return typed.empty() ? BlankPasswordBlock() : MakePasswordBlock(typed);
}

}  // namespace zel
