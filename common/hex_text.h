// Bytes kept as text, two hex digits each, as the simulated machine's state
// files and the Linux tools' registry file keep them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

namespace hex_detail {
// Each byte's value as a hex digit (either case), or -1; looked up, as the
// registry's values run to thousands of digits.
struct DigitTable {
  signed char value[256];
  constexpr DigitTable() : value() {
    for (int c = 0; c < 256; ++c) {
      value[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                 : -1);
    }
  }
};
inline constexpr DigitTable kDigits{};
}  // namespace hex_detail

// The value of one hex digit (either case), or -1.
inline int HexDigitValue(char c) { return hex_detail::kDigits.value[static_cast<unsigned char>(c)]; }

// `value` in upper-case hex digits, at least `digits` of them (as "%0*llX"
// writes it), added to `out`, a string of either form. Made by hand: the
// profile lookups and the machine's state files make such numbers for every
// text and every command.
template <class Str>
void AppendHexNumber(Str& out, uint64_t value, int digits) {
  int n = 1;
  for (uint64_t rest = value >> 4; rest != 0; rest >>= 4) ++n;
  if (n < digits) n = digits;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(n));
  for (size_t i = at + static_cast<size_t>(n); i-- > at; value >>= 4) {
    out[i] = static_cast<typename Str::value_type>("0123456789ABCDEF"[value & 15]);
  }
}

// Reads `text` as two hex digits per byte into `out` (a string or a vector of
// bytes); false, with `out` empty, for any other text.
template <class Bytes>
bool DecodeHexBytes(std::string_view text, Bytes& out) {
  out.clear();
  if (text.size() % 2 != 0) return false;
  const size_t n = text.size() / 2;
  out.resize(n);
  const char* digit = text.data();
  auto* put = out.data();
  int bad = 0;
  for (size_t i = 0; i < n; ++i, digit += 2) {
    const int high = HexDigitValue(digit[0]), low = HexDigitValue(digit[1]);
    bad |= high | low;  // negative once any digit was not one
    put[i] = static_cast<typename Bytes::value_type>(static_cast<unsigned>(high) << 4 | static_cast<unsigned>(low));
  }
  if (bad < 0) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace zel
