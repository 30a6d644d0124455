// A machine in memory for the driver installer's steps: files and
// directories, profile reads from the files' own text, the registry keys the
// installer touches, present devices and the removal program's window.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "setup/pellix/pellix_system.h"

namespace zel::pellix::test {

struct FakeDevice {
  std::string firstId;
  bool refusesRemoval = false;
};

class FakeMachine : public PellixSystem {
 public:
  FakeMachine();

  // Files are kept by their path in lower case with '\' separators.
  void Write(const std::string& path, const std::string& text);
  bool Exists(const std::string& path) const;
  bool DirExists(const std::string& path) const;
  std::string Read(const std::string& path) const;
  // Every file path, sorted, for before-and-after comparisons.
  std::vector<std::string> Listing() const;

  std::string windowsDir = "C:\\WINDOWS";
  std::string programFilesFolder = "C:\\Program Files";
  std::set<std::string> registryKeys;  // lower case, under HKEY_LOCAL_MACHINE
  std::map<std::string, std::string> runValues;
  bool runKeyOpens = true;
  std::vector<FakeDevice> devices;
  std::vector<std::string> removedDevices;
  bool setupApiLoads = true;
  // The removal program's window: open, and how many close requests it takes
  // to close it (-1: it never closes).
  bool removalWindowOpen = false;
  int closeRequestsNeeded = 1;
  int closeRequests = 0;  // all close requests made
  std::vector<std::string> started;
  // Each copy, removal and start in order, for the order of the steps.
  std::vector<std::string> events;

  std::string WindowsDirectory() override { return windowsDir; }
  std::string ProgramFilesFolder() override { return programFilesFolder; }
  int32_t ReadInt(const std::string& file, const char* section, const char* key,
                  int32_t def) override;
  std::string ReadString(const std::string& file, const char* section, const char* key,
                         const char* def) override;
  uint32_t RemoveFile(const std::string& path) override;
  uint32_t CopyFiles(const std::string& targetDir, const std::string& sourceDir,
                     const std::vector<std::string>& names) override;
  uint32_t RemoveTree(const std::string& dir) override;
  std::vector<std::string> ListInfFiles(const std::string& dir) override;
  bool ReadLines(const std::string& path, std::vector<std::string>& lines) override;
  uint32_t DeleteRegistryTree(const std::string& key) override;
  bool SetRunValue(const std::string& name, const std::string& value) override;
  bool DeleteRunValue(const std::string& name) override;
  uint32_t WalkDevices(const char* className,
                       const std::function<DeviceAction(const std::string&)>& visit) override;
  bool WindowExists(const char* title) override;
  void RequestClose(const char* title) override;
  bool StartHidden(const std::string& program) override;

 private:
  bool FindValue(const std::string& file, const char* section, const char* key, std::string& value);
  std::map<std::string, std::string> files_;
  std::set<std::string> dirs_;
  int requestsToThisWindow_ = 0;
};

}  // namespace zel::pellix::test
