// The standard commands of a unit: TEST UNIT READY, INQUIRY, READ(10) and
// WRITE(10) on the unit's part of the disk image.
#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "common/vendor_protocol.h"
#include "platform/sim/bridge.h"

namespace zel::sim::bridge_detail {
namespace {

void PutPadded(std::vector<uint8_t>& out, size_t at, const std::string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) out[at + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
}

}  // namespace

bool MediaCommand(const Machine& m, const SimEnclosure& e, BridgeState& s, const BridgeRequest& q, BridgeReply& r,
                  bool&) {
  const UnitExtent unit = UnitOf(e, s, q.part);
  switch (q.cdb[0]) {
    case kOpTestUnitReady:
      if (!unit.present || unit.locked) CheckCondition(r, 0x02, 0x3A);
      return true;
    case kOpInquiry: {
      r.dataIn.assign(36, 0);
      r.dataIn[0] = 0x00;  // direct-access device
      r.dataIn[2] = 0x02;
      r.dataIn[3] = 0x02;
      r.dataIn[4] = 31;
      PutPadded(r.dataIn, 8, e.vendor, 8);
      PutPadded(r.dataIn, 16, e.product, 16);
      PutPadded(r.dataIn, 32, e.revision, 4);
      return true;
    }
    case kOpRead10:
    case kOpWrite10: {
      const uint32_t lba = GetBe32(&q.cdb[2]);
      const uint32_t count = GetBe16(&q.cdb[7]);
      const uint64_t bytes = static_cast<uint64_t>(count) * kSectorSize;
      if (!unit.present || unit.locked) {
        CheckCondition(r, 0x02, 0x3A);
        return true;
      }
      if (static_cast<uint64_t>(lba) + count > unit.sectors || bytes > q.dataLength) {
        CheckCondition(r, 0x05, 0x21);  // logical block address out of range
        return true;
      }
      const uint64_t offset = (unit.firstSector + lba) * kSectorSize;
      if (q.cdb[0] == kOpRead10) {
        r.dataIn.assign(bytes, 0);
        if (ReadImage(m, e, offset, r.dataIn.data(), static_cast<uint32_t>(bytes)) != 0) CheckCondition(r, 0x03, 0x11);
      } else {
        if (q.direction != DataDirection::Out || q.dataOut.size() < bytes) {
          CheckCondition(r, 0x05, 0x24);
          return true;
        }
        if (WriteImage(m, e, offset, q.dataOut.data(), static_cast<uint32_t>(bytes)) != 0) CheckCondition(r, 0x03, 0x0C);
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zel::sim::bridge_detail
