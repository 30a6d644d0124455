// Bytes kept as text, two hex digits each, as the simulated machine's state
// files and the Linux tools' registry file keep them.
#pragma once
#include <string>

namespace zel {

// The value of one hex digit (either case), or -1.
inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `text` as two hex digits per byte into `out` (a string or a vector of
// bytes); false, with `out` empty, for any other text.
template <class Bytes>
bool DecodeHexBytes(const std::string& text, Bytes& out) {
  out.clear();
  if (text.size() % 2 != 0) return false;
  out.resize(text.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    const int high = HexDigitValue(text[2 * i]), low = HexDigitValue(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      out.clear();
      return false;
    }
    out[i] = static_cast<typename Bytes::value_type>(high << 4 | low);
  }
  return true;
}

}  // namespace zel
