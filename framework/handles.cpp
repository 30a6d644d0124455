#include "framework/handles.h"

namespace zel::fw {

NamedMutex CreateNamedMutex(const wchar_t* name, bool initiallyOwned) {
  NamedMutex m;
  m.handle.reset(::CreateMutexW(nullptr, initiallyOwned ? TRUE : FALSE, name));
  m.existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  return m;
}

}  // namespace zel::fw
