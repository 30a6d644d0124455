#include "copy/win/corvex_ports.h"

#include "platform/win32/win32_platform.h"

namespace zel {

CorvexPorts::CorvexPorts() : table_(win32::Win32Platform()) {
  devices_.Fill(table_);
  table_.files = &files_;
  table_.prompter = &prompter_;
}

}  // namespace zel
