// The security tool's commands: status (E5), partition size (E6), erase
// (E7), change password (E8), lock (E9), unlock (EA) and READ CAPACITY. The
// bridge checks the password; the tool never does.
#include <algorithm>
#include <filesystem>

#include "common/bytes.h"
#include "common/vendor_protocol.h"
#include "platform/sim/bridge.h"
#include "platform/sim/state_file.h"

namespace zel::sim::bridge_detail {
namespace {

bool IsBlank(const uint8_t* block) {
  return std::all_of(block, block + 12, [](uint8_t b) { return b == 0xA5; });
}

// The password a block must match: the stored one, or the blank block when
// none is set.
bool PasswordMatches(const BridgeState& s, const uint8_t* block) {
  if (!s.passwordSet) return IsBlank(block);
  return std::equal(block, block + 12, s.password.begin());
}

bool NeedsOut(const BridgeRequest& q, BridgeReply& r, size_t n) {
  if (q.direction == DataDirection::Out && q.dataOut.size() >= n) return true;
  CheckCondition(r, 0x05, 0x24);
  return false;
}

void EraseImage(const Machine& m, const SimEnclosure& e) {
  NoteOwnWrite();
  std::error_code ec;
  const std::string path = m.PathOf(e.image);
  std::filesystem::resize_file(path, 0, ec);
  std::filesystem::resize_file(path, e.sectors * kSectorSize, ec);
}

}  // namespace

bool SecurityCommand(const Machine& m, const SimEnclosure& e, BridgeState& s, const BridgeRequest& q, BridgeReply& r,
                     bool& changed) {
  switch (q.cdb[0]) {
    case kOpReadSecurityStatus:
      r.dataIn = {static_cast<uint8_t>((s.partitioned ? kStatusPartitioned : 0) | (s.locked ? kStatusLocked : 0) |
                                       (s.passwordSet ? kStatusPasswordSet : 0))};
      return true;
    case kOpSetPartitionSize: {
      if (!NeedsOut(q, r, 4)) return true;
      // The tool reads sizes back with READ CAPACITY, one sector short of
      // each count, so a public size of the last block address or more
      // leaves no private disk: the whole disk stays public.
      const uint32_t sectors = GetBe32(q.dataOut.data());
      s.partitioned = sectors > 0 && uint64_t{sectors} + 1 < e.sectors;
      s.publicSectors = s.partitioned ? sectors : 0;
      s.locked = false;
      changed = true;
      return true;
    }
    case kOpEraseDisk:
      s.partitioned = false;
      s.publicSectors = 0;
      s.locked = false;
      s.passwordSet = false;
      s.password.fill(0);
      EraseImage(m, e);
      changed = true;
      return true;
    case kOpChangePassword: {
      if (!NeedsOut(q, r, 24)) return true;
      const uint8_t* oldBlock = q.dataOut.data();
      const uint8_t* newBlock = oldBlock + 12;
      if (!PasswordMatches(s, oldBlock)) {
        CheckCondition(r, 0x05, 0x26);  // invalid field in parameter list
        return true;
      }
      s.passwordSet = !IsBlank(newBlock);
      if (s.passwordSet) std::copy(newBlock, newBlock + 12, s.password.begin());
      else s.password.fill(0);
      changed = true;
      return true;
    }
    case kOpLockDisk:
      if (!s.partitioned) {
        CheckCondition(r, 0x05, 0x24);
        return true;
      }
      s.locked = true;
      changed = true;
      return true;
    case kOpUnlockDisk:
      if (!NeedsOut(q, r, 12)) return true;
      if (s.locked && !PasswordMatches(s, q.dataOut.data())) {
        CheckCondition(r, 0x05, 0x26);
        return true;
      }
      s.locked = false;
      changed = true;
      return true;
    case kOpReadCapacity: {
      const UnitExtent unit = UnitOf(e, s, q.part);
      if (!unit.present || unit.locked || unit.sectors == 0) {
        CheckCondition(r, 0x02, 0x3A);  // medium not present
        return true;
      }
      r.dataIn.assign(8, 0);
      PutBe32(r.dataIn.data(), static_cast<uint32_t>(unit.sectors - 1));
      PutBe32(r.dataIn.data() + 4, kSectorSize);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zel::sim::bridge_detail
