// The start-up of the Dormel program up to its frame: the "/c" switch, the
// program's paths, the single instance, the system check with the ASPI
// layer, and the hardware list, in that order. The machine-specific steps
// are the caller's; the order, the decisions and the messages are here.
#pragma once
#include <string>

#include "common/device_list.h"
#include "ports/system_port.h"

namespace zel {

// True when the command line holds "/c" (lower-case, anywhere).
bool ScanOpenAtStart(const std::string& commandLine);

using DeviceDiscovery = long (*)(DeviceList&);

class DormelStartupSteps {
 public:
  virtual ~DormelStartupSteps() = default;
  // Creates the owned mutex "ZelDormel"; false when it already existed.
  virtual bool ClaimSingleInstance() = 0;
  // Loads "wnaspi32" (Windows 98 family); false when it is missing.
  virtual bool LoadAspi() = 0;
  virtual void LoadHardwareList(const std::wstring& configFile) = 0;
};

struct DormelStartup {
  bool openAtStart = false;
  SystemFamily family = SystemFamily::Undecided;  // the caller stores it in Ports().family
  DeviceDiscovery discover = nullptr;
};

enum class DormelStartupOutcome { kRun, kAlreadyRunning, kAspiMissing, kUnsupportedSystem };

// `modulePath` is the executable's full path; the program's paths go to
// ProcessPaths(). Each refusal plays the error sound and shows its box.
DormelStartupOutcome RunDormelStartup(const std::string& commandLine, const std::wstring& modulePath,
                                      DormelStartupSteps& steps, DormelStartup& out);

// The tray tip: AppDesc of [Installation] (default "Power Management tool"),
// cut to the 63 characters the tray record holds.
std::wstring DormelTrayTip();

}  // namespace zel
