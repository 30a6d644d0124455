// The start-up of the Corvex program, up to the creation of its frame: the
// command-line switches, the program's paths, the single-instance check, the
// system check and the ASPI layer. The machine-specific steps (the named
// mutex, loading the hardware list and the ASPI library) are the caller's;
// the order, the decisions and the messages are here.
#pragma once
#include <cstdint>
#include <string>

#include "common/app_paths.h"
#include "common/disk_record.h"
#include "ports/system_port.h"

namespace zel {

struct CorvexSwitches {
  bool autostart = false;          // /a: change to the directory the autostart value names
  bool noDialog = false;           // /f: task files under their default names, no file dialog
  bool openConfiguration = false;  // /c: open the configuration window after start-up
};

// Scans the command line (without the program name) from its first
// character. At each position /a, /f and /c are tried in that order, each
// consuming its two characters when it matches; then the scan moves on by
// one character. Matching is case-sensitive.
CorvexSwitches ScanCorvexSwitches(const std::wstring& commandLine);

// The installation directory in an autostart value such as
// "\"C:\\Program Files\\Brindle\\Corvex.exe\" /a /f": the text before the last
// "\\Corvex", without a leading quote. A value without "\\Corvex" comes back
// unchanged.
std::wstring AutostartDirectory(const std::wstring& value);

// The /a action: reads the autostart value "Corvex" (at most 256 bytes) and
// makes the directory it names the current directory. A missing or longer
// value changes nothing.
void ChangeToAutostartDirectory();

// A discovery procedure: fills the disk list; 0 or a system error code.
using DiscoveryProcedure = long (*)(DiskList&);

// The machine-specific steps start-up takes, in the order it takes them.
class CorvexStartupSteps {
 public:
  virtual ~CorvexStartupSteps() = default;
  // Creates the program's mutex "Corvex", owned; false when it already existed.
  virtual bool ClaimSingleInstance() = 0;
  virtual void LoadHardwareList(const std::wstring& configFile) = 0;
  virtual void SetUpFramework() {}
  // Loads the ASPI layer; false when it is missing or not ready.
  virtual bool LoadAspi() = 0;
  virtual DiscoveryProcedure NtDiscovery() = 0;
  virtual DiscoveryProcedure Win98Discovery() = 0;
};

struct CorvexStartup {
  CorvexSwitches switches;
  SystemFamily family = SystemFamily::Undecided;  // the caller stores it in Ports().family
  DiscoveryProcedure discover = nullptr;
};

enum class StartupOutcome { kRun, kAlreadyRunning, kAspiMissing, kUnsupportedSystem };

// Runs the start-up sequence up to (not including) the frame: switches and
// the /a action, the program's paths into ProcessPaths(), the single
// instance, the hardware list, the framework set-up and the system check with
// its messages. `modulePath` is the executable's full path.
StartupOutcome RunCorvexStartup(const std::wstring& commandLine, const std::wstring& modulePath,
                                CorvexStartupSteps& steps, CorvexStartup& out);

}  // namespace zel
