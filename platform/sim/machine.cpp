#include "platform/sim/machine.h"

#include <map>
#include <mutex>
#include <sstream>
#include <string_view>

#include "common/text.h"
#include "platform/sim/state_file.h"

namespace zel::sim {
namespace {

// Splits a line into words; double quotes keep blanks inside a value. The
// words' strings are kept from line to line, so a parse allocates little.
void Words(std::string_view line, std::vector<std::string>& words, size_t& count) {
  count = 0;
  bool quoted = false, any = false;
  for (size_t at = 0; at < line.size();) {
    const char c = line[at];
    if ((c == ' ' || c == '\t') && !quoted) {
      if (any) ++count;
      any = false;
      ++at;
      continue;
    }
    if (!any) {
      if (count == words.size()) words.emplace_back();
      words[count].clear();
      any = true;
    }
    if (c == '"') {
      quoted = !quoted;
      ++at;
      continue;
    }
    // The run of plain characters up to the next quote or blank that counts.
    size_t end = at;
    while (end < line.size() && line[end] != '"' && (quoted || (line[end] != ' ' && line[end] != '\t'))) ++end;
    words[count].append(line.data() + at, end - at);
    at = end;
  }
  if (any) ++count;
}

std::string Quote(const std::string& v) {
  if (!v.empty() && v.find_first_of(" \t\"") == std::string::npos) return v;
  return "\"" + v + "\"";
}

Media ParseMedia(const std::string& v) {
  if (v == "removable") return Media::Removable;
  if (v == "cdrom") return Media::Cdrom;
  return Media::Fixed;
}

const char* MediaName(Media m) {
  switch (m) {
    case Media::Removable: return "removable";
    case Media::Cdrom: return "cdrom";
    default: return "fixed";
  }
}

}  // namespace

const SimUsb* Machine::FindUsb(const std::string& id) const {
  for (const SimUsb& u : usb) {
    if (u.id == id) return &u;
  }
  return nullptr;
}
const SimEnclosure* Machine::FindEnclosure(const std::string& id) const {
  for (const SimEnclosure& e : enclosures) {
    if (e.id == id) return &e;
  }
  return nullptr;
}
const SimDisk* Machine::FindDisk(const std::string& id) const {
  for (const SimDisk& d : disks) {
    if (d.id == id) return &d;
  }
  return nullptr;
}

std::string Machine::PathOf(const std::string& relative) const {
  if (relative.empty()) return relative;
  return JoinPath(dir, relative);
}

namespace {

bool ParseMachine(const std::string& text, Machine& m, std::string& error) {
  std::vector<std::string> w;
  size_t words = 0;
  std::vector<std::pair<std::string_view, std::string_view>> kv;
  int lineNumber = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    Words(line, w, words);
    if (words == 0 || w[0][0] == '#') continue;
    // A key given twice counts with its last value.
    kv.clear();
    for (size_t i = 2; i < words; ++i) {
      const std::string_view word = w[i];
      const size_t eq = word.find('=');
      if (eq != std::string_view::npos) kv.emplace_back(word.substr(0, eq), word.substr(eq + 1));
    }
    auto find = [&](std::string_view key) -> const std::string_view* {
      for (size_t i = kv.size(); i-- > 0;) {
        if (kv[i].first == key) return &kv[i].second;
      }
      return nullptr;
    };
    auto get = [&](std::string_view key, std::string_view def = {}) {
      const std::string_view* v = find(key);
      return std::string(v != nullptr ? *v : def);
    };
    auto num = [&](std::string_view key, uint64_t def) {
      const std::string_view* v = find(key);
      return v != nullptr ? ParseNumber(*v, def) : def;
    };
    const std::string& kind = w[0];
    const std::string id = words > 1 ? w[1] : std::string();
    if (kind == "family") {
      m.family = id == "98" ? "98" : "nt";
    } else if (kind == "version") {
      unsigned parts[3] = {};  // major, minor and build
      if (ReadDottedNumbers(id, 10, parts, 3) >= 2) m.version = {parts[0], parts[1], parts[2]};
    } else if (kind == "usb") {
      m.usb.push_back({id, Utf8ToWide(get("hwid"))});
    } else if (kind == "enclosure") {
      SimEnclosure e;
      e.id = id;
      e.usb = get("usb");
      e.image = get("image", id + ".img");
      e.sectors = num("sectors", 131072);
      e.buttons = static_cast<int>(num("buttons", 1));
      e.vendor = get("vendor", e.vendor);
      e.product = get("product", e.product);
      e.revision = get("revision", e.revision);
      m.enclosures.push_back(std::move(e));
    } else if (kind == "disk") {
      SimDisk d;
      d.id = id;
      d.media = ParseMedia(get("media", "fixed"));
      d.bus = get("bus", "ide");
      d.enclosure = get("enclosure");
      d.part = static_cast<int>(num("part", 0));
      d.lun = static_cast<int>(num("lun", 0));
      d.usb = get("usb");
      d.friendly = Utf8ToWide(get("friendly"));
      d.bytes = num("bytes", 0);
      d.signature = static_cast<uint32_t>(num("signature", 0));
      d.bios = static_cast<int>(static_cast<int64_t>(num("bios", static_cast<uint64_t>(-1))));
      if (const SimEnclosure* e = m.FindEnclosure(d.enclosure); e != nullptr && d.usb.empty()) d.usb = e->usb;
      if (!d.usb.empty()) d.bus = "scsi";
      m.disks.push_back(std::move(d));
    } else if (kind == "partition") {
      SimPartition p;
      p.start = static_cast<int64_t>(num("start", 0));
      p.length = static_cast<int64_t>(num("length", 0));
      p.type = static_cast<uint8_t>(num("type", 0x07));
      p.boot = num("boot", 0) != 0;
      p.recognized = num("recognized", 1) != 0;
      bool found = false;
      for (SimDisk& d : m.disks) {
        if (d.id == id) {
          d.partitions.push_back(p);
          found = true;
        }
      }
      if (!found) {
        error = "line " + std::to_string(lineNumber) + ": partition of unknown disk " + id;
        return false;
      }
    } else if (kind == "volume") {
      SimVolume v;
      v.id = id;
      v.disk = get("disk");
      v.partition = static_cast<int>(num("partition", 1));
      const std::string letter = get("letter");
      v.letter = letter.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
      v.dir = get("dir");
      v.label = Utf8ToWide(get("label"));
      v.fileSystem = Utf8ToWide(get("fs", "FAT32"));
      v.serial = static_cast<uint32_t>(num("serial", 0));
      v.capacity = num("capacity", 0);
      v.number = static_cast<uint32_t>(num("number", 0));
      m.volumes.push_back(std::move(v));
    } else {
      error = "line " + std::to_string(lineNumber) + ": unknown item '" + kind + "'";
      return false;
    }
  }
  return true;
}

// Every port call asks for the machine and its file seldom changes: the last
// good parse of each machine file is kept with the text it came from.
struct ParsedMachine {
  std::string text;
  Machine machine;
};
std::mutex parsedMutex;
std::map<std::string, ParsedMachine> parsed;

}  // namespace

bool LoadMachine(const std::string& dir, Machine& m, std::string& error, std::string* textOut) {
  m = Machine{};
  m.dir = dir;
  std::string text;
  const std::string file = JoinPath(dir, kMachineFile);
  if (!ReadTextFile(file, text)) {
    error = "cannot read " + file;
    return false;
  }
  if (textOut != nullptr) *textOut = text;
  {
    std::lock_guard<std::mutex> lock(parsedMutex);
    auto it = parsed.find(file);
    if (it != parsed.end() && it->second.text == text) {
      m = it->second.machine;
      m.dir = dir;
      return true;
    }
  }
  if (!ParseMachine(text, m, error)) return false;
  std::lock_guard<std::mutex> lock(parsedMutex);
  parsed[file] = ParsedMachine{std::move(text), m};
  return true;
}

bool SaveMachine(const Machine& m, std::string& error) {
  std::ostringstream out;
  out << "# The simulated machine (see zelsim --help)\n";
  out << "family " << m.family << "\n";
  out << "version " << m.version.major << "." << m.version.minor << "." << m.version.build << "\n";
  for (const SimUsb& u : m.usb) out << "usb " << u.id << " hwid=" << Quote(WideToUtf8(u.hardwareId)) << "\n";
  for (const SimEnclosure& e : m.enclosures) {
    out << "enclosure " << e.id << " usb=" << e.usb << " image=" << Quote(e.image) << " sectors=" << e.sectors
        << " buttons=" << e.buttons << " vendor=" << Quote(e.vendor) << " product=" << Quote(e.product)
        << " revision=" << Quote(e.revision) << "\n";
  }
  for (const SimDisk& d : m.disks) {
    out << "disk " << d.id << " media=" << MediaName(d.media);
    if (!d.enclosure.empty()) out << " enclosure=" << d.enclosure << " part=" << d.part << " lun=" << d.lun;
    else out << " bus=" << d.bus;
    if (!d.usb.empty() && d.enclosure.empty()) out << " usb=" << d.usb;
    out << " friendly=" << Quote(WideToUtf8(d.friendly));
    if (d.bytes != 0) out << " bytes=" << d.bytes;
    if (d.signature != 0) out << " signature=" << Hex(d.signature, 8);
    if (d.bios >= 0) out << " bios=" << Hex(static_cast<uint64_t>(d.bios), 2);
    out << "\n";
    for (const SimPartition& p : d.partitions) {
      out << "partition " << d.id << " start=" << p.start << " length=" << p.length << " type=" << Hex(p.type, 2)
          << " boot=" << (p.boot ? 1 : 0) << " recognized=" << (p.recognized ? 1 : 0) << "\n";
    }
  }
  for (const SimVolume& v : m.volumes) {
    out << "volume " << v.id << " disk=" << v.disk << " partition=" << v.partition;
    if (v.letter != 0) out << " letter=" << v.letter;
    if (!v.dir.empty()) out << " dir=" << Quote(v.dir);
    out << " label=" << Quote(WideToUtf8(v.label)) << " fs=" << Quote(WideToUtf8(v.fileSystem))
        << " serial=" << Hex(v.serial, 8) << " capacity=" << v.capacity << " number=" << v.number << "\n";
  }
  const std::string file = JoinPath(m.dir, kMachineFile);
  if (!WriteTextFileAtomically(file, out.str())) {
    error = "cannot write " + file;
    return false;
  }
  return true;
}

}  // namespace zel::sim
