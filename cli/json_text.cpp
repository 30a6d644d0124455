#include "cli/json_text.h"

#include <cstdio>

namespace zel::cli {
namespace {

// Length of the UTF-8 sequence starting at text[i], 0 when it is not one.
size_t Utf8Length(const std::string& text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string JsonQuote(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (size_t n = Utf8Length(text, i); n != 0) {
      out.append(text, i, n);
      i += n;
    } else {
      out += "\\ufffd";  // a stray byte: the replacement character
      ++i;
    }
  }
  return out + "\"";
}

}  // namespace zel::cli
