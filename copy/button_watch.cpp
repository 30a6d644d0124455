#include "copy/button_watch.h"

#include "common/vendor_protocol.h"
#include "copy/button_latch.h"
#include "ports/platform.h"

namespace zel {
namespace {

// The first present record for a device instance, or -1.
int PresentRecordOf(const DiskList& disks, DevInst node) {
  for (uint32_t j = 0; j < disks.count && j < kMaxDisks; ++j) {
    if (disks.disks[j].deviceNode == node && disks.disks[j].present) return static_cast<int>(j);
  }
  return -1;
}

}  // namespace

bool& CopyRunBusy() {
  static bool busy = false;
  return busy;
}

void ButtonWatch::Poll() {
  // A tick that was already queued when a run started is not a new poll.
  if (CopyRunBusy() || buttonRun_) return;
  for (uint32_t i = 0; i < disks_.count && i < kMaxDisks; ++i) {
    if (!disks_.disks[i].present) continue;
    uint8_t s = latch_.Read(i);
    if (!(s & kButton1Bit)) RunButton(1, i, s);
    if (buttonMode_ == 2 && !(s & kButton2Bit)) RunButton(2, i, s);
  }
}

void ButtonWatch::RunButton(uint8_t button, uint32_t diskIndex, uint8_t status) {
  host_.StopPollTimer();
  host_.BeginButtonRun();
  buttonRun_ = true;

  DeviceTreePort* tree = Ports().deviceTree;
  DevInst candidate = disks_.disks[diskIndex].deviceNode;
  while (true) {
    int j = PresentRecordOf(disks_, candidate);
    if (j >= 0) host_.RunCopy(static_cast<uint32_t>(j), button);
    DevInst next = 0;
    if (!tree || tree->NextSibling(candidate, next) != 0 || next == 0) break;
    candidate = next;
  }

  // The acknowledgement is the byte read in this tick with this button's bit
  // set; a second button acknowledged in the same tick writes the first one's
  // bit as it was read. The latch only releases on a 1 bit, so that 0 does
  // not press the first button again.
  latch_.Write(diskIndex, static_cast<uint8_t>(status | (button == 1 ? kButton1Bit : kButton2Bit)));

  buttonRun_ = false;
  host_.StartPollTimer();
  host_.EndButtonRun();
}

long ButtonWatch::Discover() { return discover_ ? discover_(disks_) : 0; }

bool ButtonWatch::DeviceChange(uint32_t event, uint32_t deviceType) {
  if (event != kDeviceArrival && event != kDeviceRemoveComplete) return true;
  if (deviceType != kDeviceTypeVolume) return false;
  if (Discover() != 0) host_.StartRescanTimer();
  host_.RefreshConfiguration();
  return true;
}

void ButtonWatch::Rescan() {
  if (Discover() != 0) return;
  host_.StopRescanTimer();
  host_.RefreshConfiguration();
}

}  // namespace zel
