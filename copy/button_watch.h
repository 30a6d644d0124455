// The button watch of the Corvex program: polls the button latch of every
// present disk, runs the copy runs of a pressed disk and of the sibling
// units of its USB device, acknowledges the press, and keeps the global disk
// list current when volumes arrive or leave (with a rescan every 3 seconds
// while discovery fails). The host is the main frame: it owns the timers,
// the progress dialog and the configuration window.
#pragma once
#include <cstdint>

#include "common/disk_record.h"
#include "copy/startup.h"

namespace zel {

class ButtonLatch;

inline constexpr unsigned kPollTimerId = 256;
inline constexpr unsigned kPollPeriodMs = 2000;
inline constexpr unsigned kRescanTimerId = 512;
inline constexpr unsigned kRescanPeriodMs = 3000;

// Device-change events and the one device type the watch reacts to.
inline constexpr uint32_t kDeviceArrival = 0x8000;
inline constexpr uint32_t kDeviceRemoveComplete = 0x8004;
inline constexpr uint32_t kDeviceTypeVolume = 2;

// Set by the configuration window around the copy runs it starts; the poll
// does nothing while it is set.
bool& CopyRunBusy();

class ButtonWatchHost {
 public:
  virtual ~ButtonWatchHost() = default;
  virtual void StartPollTimer() = 0;
  virtual void StopPollTimer() = 0;
  virtual void StartRescanTimer() = 0;
  virtual void StopRescanTimer() = 0;
  // A button-started run begins (the progress dialog is made) and ends (it
  // is destroyed); between them one modal copy run per disk.
  virtual void BeginButtonRun() {}
  virtual void RunCopy(uint32_t diskIndex, uint8_t direction) = 0;
  virtual void EndButtonRun() {}
  // Refreshes the configuration window when it is open.
  virtual void RefreshConfiguration() = 0;
};

class ButtonWatch {
 public:
  ButtonWatch(ButtonWatchHost& host, ButtonLatch& latch, DiskList& disks, DiscoveryProcedure discover,
              uint8_t buttonMode)
      : host_(host), latch_(latch), disks_(disks), discover_(discover), buttonMode_(buttonMode) {}

  // Poll timer tick.
  void Poll();
  // Rescan timer tick.
  void Rescan();
  // WM_DEVICECHANGE: the message's result (false only for the arrival or
  // removal of something that is not a volume).
  bool DeviceChange(uint32_t event, uint32_t deviceType);
  // Set while a button-started copy run is in progress.
  bool ButtonRunActive() const { return buttonRun_; }
  uint8_t ButtonMode() const { return buttonMode_; }

 private:
  void RunButton(uint8_t button, uint32_t diskIndex, uint8_t status);
  long Discover();

  ButtonWatchHost& host_;
  ButtonLatch& latch_;
  DiskList& disks_;
  DiscoveryProcedure discover_;
  uint8_t buttonMode_;
  bool buttonRun_ = false;
};

}  // namespace zel
