// What the driver installer needs from the machine it runs on. The steps of
// Install and UnInstall (pellix_steps.cpp) decide what happens and in which
// order; an adapter (win/win32_system.cpp on Windows, a model of a machine
// in the tests) carries each request out. Strings are 8-bit, as on the
// Windows 98 family this installer serves.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zel::pellix {

// Result codes. None leaves the exports; they tell the steps what happened.
inline constexpr uint32_t kOk = 0;
inline constexpr uint32_t kFileMissing = 0xE601F000;      // file to delete does not exist
inline constexpr uint32_t kFileDeleteFailed = 0xE6010000; // | system error (low 16 bits)
inline constexpr uint32_t kRegistryTreeFailed = 0xE0010000;  // | system error
inline constexpr uint32_t kSetupApiMissing = 0xE202F002;  // setup-API library not loaded
inline constexpr uint32_t kDeviceRefused = 0xE202F005;    // class installer refused a removal
inline constexpr uint32_t kDeviceListFailed = 0xE202F006; // device list could not be built
inline constexpr uint32_t kDirectoryMissing = 0xE602F000; // directory to remove does not exist
inline constexpr uint32_t kMakePathFailed = 0xE605F010;   // a directory could not be created
inline constexpr uint32_t kCopyNothing = 0xE606F000;      // copy called with no names
inline constexpr uint32_t kCopyFailed = 0xE606F001;       // a file could not be copied
inline constexpr uint32_t kTargetDirFailed = 0xE606F010;  // target directory not created
inline constexpr uint32_t kSourceMissing = 0xE6060002;    // a source file does not exist
inline constexpr uint32_t kPathRefused = 0xE604FF01;      // a path that is not a full path

// Returned by the program-closing wait when the program did not close.
inline constexpr int32_t kStillRunning = -1;

// What the device walk is asked to do with one device.
enum class DeviceAction { kKeep, kRemove };

class PellixSystem {
 public:
  virtual ~PellixSystem() = default;

  // The Windows directory and the system's Program Files folder, full paths
  // without a trailing separator; empty when the system cannot name them.
  virtual std::string WindowsDirectory() = 0;
  virtual std::string ProgramFilesFolder() = 0;

  // Profile (INI) reads with the system's rules: a missing key gives `def`.
  // ReadString hands the whole value over, however long it is.
  virtual int32_t ReadInt(const std::string& file, const char* section, const char* key,
                          int32_t def) = 0;
  virtual std::string ReadString(const std::string& file, const char* section, const char* key,
                                 const char* def) = 0;

  // Clears the read-only attribute, then deletes: kOk, kFileMissing or
  // kFileDeleteFailed | error.
  virtual uint32_t RemoveFile(const std::string& path) = 0;
  // Creates `targetDir` with every missing directory above it, then copies
  // each listed name from `sourceDir` into it, overwriting; a copy appears
  // under its final name only when whole. The last failure's code, or kOk.
  virtual uint32_t CopyFiles(const std::string& targetDir, const std::string& sourceDir,
                             const std::vector<std::string>& names) = 0;
  // Deletes everything under `dir`, depth first, then `dir` itself. A link
  // inside the tree is removed as a link, never followed.
  virtual uint32_t RemoveTree(const std::string& dir) = 0;
  // Names (not paths) of the plain files directly in `dir` whose names end
  // in ".inf", in any letter case.
  virtual std::vector<std::string> ListInfFiles(const std::string& dir) = 0;
  // The file's lines without their line ends; false when it cannot be read.
  virtual bool ReadLines(const std::string& path, std::vector<std::string>& lines) = 0;

  // Registry, under HKEY_LOCAL_MACHINE. DeleteRegistryTree: kOk, or
  // kRegistryTreeFailed | error (a missing key is an error too).
  virtual uint32_t DeleteRegistryTree(const std::string& key) = 0;
  // The string values of the Run key. SetRunValue creates the key when it is
  // missing; false when it can be neither opened nor created.
  // DeleteRunValue: false when the key cannot be opened.
  virtual bool SetRunValue(const std::string& name, const std::string& value) = 0;
  virtual bool DeleteRunValue(const std::string& name) = 0;

  // Walks the present devices (the class named, all classes listed) and
  // hands `visit` each device's first hardware identifier (empty when it has
  // none). A device `visit` marks for removal is removed by its class
  // installer before the walk goes on; the walk stops at the first refusal
  // with kDeviceRefused. kSetupApiMissing or kDeviceListFailed when the walk
  // cannot start.
  virtual uint32_t WalkDevices(const char* className,
                               const std::function<DeviceAction(const std::string&)>& visit) = 0;

  // Top-level windows by title, and programs.
  virtual bool WindowExists(const char* title) = 0;
  virtual void RequestClose(const char* title) = 0;  // a close request to that window
  virtual bool StartHidden(const std::string& program) = 0;
};

}  // namespace zel::pellix
