#include "ports/platform.h"

#include "ports/registry_port.h"

namespace zel {

Platform& Ports() {
  static Platform ports;
  return ports;
}

SystemFamily ClassifySystem(const OsVersion& v) {
  if (v.major == 4 && (v.minor == 10 || v.minor == 90)) return SystemFamily::Win98;
  if (v.major == 5 || v.major == 6) return SystemFamily::Nt;
  return SystemFamily::Unsupported;
}

ScopedPorts::ScopedPorts(const Platform& ports) : saved_(Ports()) { Ports() = ports; }
ScopedPorts::~ScopedPorts() { Ports() = saved_; }

RegValue RegString(const std::wstring& name, const std::wstring& text) {
  RegValue v;
  v.name = name;
  v.type = kRegSz;
  for (wchar_t c : text) {
    v.data.push_back(static_cast<uint8_t>(c & 0xFF));
    v.data.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
  }
  v.data.push_back(0);
  v.data.push_back(0);
  return v;
}

std::wstring RegValueText(const RegValue& value) {
  std::wstring text;
  for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
    wchar_t c = static_cast<wchar_t>(value.data[i] | (value.data[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

}  // namespace zel
