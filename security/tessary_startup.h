// The start-up of the security tool, up to its hidden frame: the "/c"
// switch, the program's paths, the single instance, the system check with
// the ASPI layer, the hardware list and the device list. The machine-specific
// steps are the caller's; the order, the decisions and the messages are here.
#pragma once
#include <string>

#include "ports/system_port.h"

namespace zel {

// True when "/c" (lower-case c) occurs anywhere in the command line.
bool OpensWindowAtStart(const std::string& commandLine);

class TessaryStartupSteps {
 public:
  virtual ~TessaryStartupSteps() = default;
  // Creates the mutex "ZelTessary", owned; false when it already existed.
  virtual bool ClaimSingleInstance() = 0;
  // Loads the ASPI layer (Windows 98 family); false when it is missing.
  virtual bool LoadAspi() = 0;
  virtual void LoadHardwareList(const std::wstring& configFile) = 0;
  // Fills the device list by the procedure of the system family.
  virtual void EnumerateDevices() = 0;
};

struct TessaryStartup {
  bool openAtStart = false;
  SystemFamily family = SystemFamily::Undecided;  // also stored in Ports().family
};

enum class TessaryStartupOutcome { kRun, kAlreadyRunning, kAspiMissing, kUnsupportedSystem };

// Runs the steps in order, telling the user why it stops (MsgStr01, MsgStr02,
// MsgStr03). `modulePath` is the executable's full path.
TessaryStartupOutcome RunTessaryStartup(const std::string& commandLine, const std::wstring& modulePath,
                                        TessaryStartupSteps& steps, TessaryStartup& out);

}  // namespace zel
