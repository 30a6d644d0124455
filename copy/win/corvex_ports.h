// The port table of Corvex.exe: the Windows adapters of every port, the
// file system and the system message box.
#pragma once
#include "ports/platform.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/message_box_prompter.h"
#include "platform/win32/win32_device_ports.h"

namespace zel {

class CorvexPorts {
 public:
  CorvexPorts();
  CorvexPorts(const CorvexPorts&) = delete;
  CorvexPorts& operator=(const CorvexPorts&) = delete;
  Platform& Table() { return table_; }

 private:
  Platform table_;
  win32::Win32DevicePorts devices_;
  Win32FileSystem files_;
  MessageBoxPrompter prompter_;
};

}  // namespace zel
