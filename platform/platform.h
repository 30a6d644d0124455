// The ports of one process. Programs fill this at start-up with the adapters
// of their build (win32, posix/linux, or the simulated machine); the portable
// rules reach the machine only through it.
#pragma once
#include "platform/device_tree_port.h"
#include "platform/file_system_port.h"
#include "platform/profile_port.h"
#include "platform/prompter.h"
#include "platform/registry_port.h"
#include "platform/scsi_port.h"
#include "platform/storage_port.h"
#include "platform/system_port.h"

namespace zel {

class AspiPort;  // common/aspi.h: the ASPI layer of the Windows 98 family
class Vwin32Port;  // common/aspi.h: DOS drive-map calls of the Windows 98 family

struct Platform {
  SystemPort* system = nullptr;
  ProfilePort* profile = nullptr;
  RegistryPort* registry = nullptr;
  DeviceTreePort* deviceTree = nullptr;
  StoragePort* storage = nullptr;
  ScsiPort* scsi = nullptr;
  AspiPort* aspi = nullptr;
  Vwin32Port* vwin32 = nullptr;
  FileSystemPort* files = nullptr;
  Prompter* prompter = nullptr;
  SkinnedPrompter* skinned = nullptr;
};

// The process's ports. Unset members are null; callers that need a port
// check it and fail the way the system would when the service is missing.
Platform& Ports();

// Replaces the process's ports for the lifetime of the object (used by
// programs at start-up and by tests), restoring the earlier set afterwards.
class ScopedPorts {
 public:
  explicit ScopedPorts(const Platform& ports);
  ~ScopedPorts();
  ScopedPorts(const ScopedPorts&) = delete;
  ScopedPorts& operator=(const ScopedPorts&) = delete;

 private:
  Platform saved_;
};

}  // namespace zel
