// zelsim command: one command block sent to an enclosure's emulated bridge,
// the answer printed as sg_raw-like lines, so that a command can be tried by
// hand and the bridge can stand behind another transport.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "cli/zelsim_commands.h"
#include "platform/sim/bridge.h"
#include "platform/sim/state_file.h"

namespace zel::cli {

// Prints "status XX", then "sense HEX" when the status is not good and
// "data HEX" for a command that reads; exit 1 with the system error code
// when the command did not reach the bridge.
int ZelsimCommand(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  const char* usage = "DIR CDB [--disk N] [--unit 0|1] [--out HEX | --in N]";
  int number = 1;
  if (!ReadEnclosureNumber(args, number)) return Fail("command", "--disk takes an enclosure number from 1");
  if (operands.size() != 2) return Usage("command", usage);
  sim::BridgeRequest request;
  std::string cdb, out, in, unit = "0";
  if (!sim::ParseHexBytes(operands[1], cdb) || cdb.empty() || cdb.size() > request.cdb.size()) {
    return Fail("command", "CDB takes 1 to 16 bytes in hex");
  }
  std::copy(cdb.begin(), cdb.end(), request.cdb.begin());
  args.Value("--unit", unit);
  if (unit != "0" && unit != "1") return Usage("command", usage);
  request.part = unit[0] - '0';
  const bool writes = args.Value("--out", out), reads = args.Value("--in", in);
  if (writes && reads) return Usage("command", usage);
  if (writes) {
    std::string bytes;
    if (!sim::ParseHexBytes(out, bytes)) return Fail("command", "--out takes the bytes in hex");
    request.direction = DataDirection::Out;
    request.dataOut.assign(bytes.begin(), bytes.end());
    request.dataLength = static_cast<uint32_t>(bytes.size());
  } else if (reads) {
    char* end = nullptr;
    const unsigned long n = std::strtoul(in.c_str(), &end, 10);
    if (in.empty() || *end != '\0' || n > 65536) return Fail("command", "--in takes 0 to 65536 bytes");
    request.dataLength = static_cast<uint32_t>(n);
  }
  sim::Machine m;
  std::string error;
  if (!sim::LoadMachine(operands[0], m, error)) return Fail("command", error);
  if (number > static_cast<int>(m.enclosures.size())) {
    return Fail("command", "the machine has " + std::to_string(m.enclosures.size()) + " enclosure(s)");
  }
  const sim::BridgeReply reply =
      sim::ExecuteBridgeCommand(m, m.enclosures[static_cast<size_t>(number - 1)], request);
  if (reply.error != 0) return Fail("command", "system error " + std::to_string(reply.error));
  std::printf("status %02X\n", reply.status);
  if (reply.status != kScsiStatusGood) std::printf("sense %s\n", sim::HexBytes(reply.sense.data(), reply.sense.size()).c_str());
  if (reads) std::printf("data %s\n", sim::HexBytes(reply.dataIn.data(), reply.dataIn.size()).c_str());
  return 0;
}

}  // namespace zel::cli
