// Bytes kept as text, two hex digits each, as the simulated machine's state
// files and the Linux tools' registry file keep them.
#pragma once
#include <string>

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

// Reads `text` as two hex digits per byte into `out` (a string or a vector of
// bytes); false, with `out` empty, for any other text.
template <class Bytes>
bool DecodeHexBytes(const std::string& text, Bytes& out) {
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
