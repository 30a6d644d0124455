// The ports of one process. Programs fill this at start-up with the adapters
// of their build (win32, posix/linux, or the simulated machine); the portable
// rules reach the machine only through it.
#pragma once
#include "ports/device_tree_port.h"
#include "ports/file_system_port.h"
#include "ports/profile_port.h"
#include "ports/prompter.h"
#include "ports/registry_port.h"
#include "ports/scsi_port.h"
#include "ports/storage_port.h"
#include "ports/system_port.h"

namespace zel {

class AspiPort;  // ports/aspi_port.h: the ASPI layer of the Windows 98 family
class Vwin32Port;  // ports/aspi_port.h: DOS drive-map calls of the Windows 98 family

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
  SystemFamily family = SystemFamily::Undecided;
};

// The process's ports. Unset members are null; callers that need a port
// check it and fail the way the system would when the service is missing.
Platform& Ports();

// Replaces the process's ports (and its system family) for the lifetime of the object (used by
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
