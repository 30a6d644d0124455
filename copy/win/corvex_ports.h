// The port table of Corvex.exe: the Windows adapters and the system
// message box.
#pragma once
#include "framework/message_box_prompter.h"
#include "platform/platform.h"

namespace zel {

class CorvexPorts {
 public:
  CorvexPorts();
  CorvexPorts(const CorvexPorts&) = delete;
  CorvexPorts& operator=(const CorvexPorts&) = delete;
  Platform& Table() { return table_; }

 private:
  Platform table_;
  fw::MessageBoxPrompter prompter_;
};

}  // namespace zel
