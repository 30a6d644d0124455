// The copy engine against cp and rsync on one deterministic tree: thousands
// of small files in nested directories and a few large ones.
//
//   1. a backup run into a new destination          vs  cp -a
//   2. the same run again with the newer bit, where nothing changed
//                                                   vs  rsync -a --update
//
// The runs are `corvex run` processes on a simulated machine made with
// `zelsim create`: the tree on its C:, the copies on the enclosure's E:. Usage:
//   copy_bench [--dir WORK] [--small N] [--large-mb M]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>


namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A small deterministic generator, so every run builds the same tree.
uint64_t Next(uint64_t& state) {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return state;
}

void WriteFile(const fs::path& p, size_t size, uint64_t& state) {
  std::vector<char> data(size);
  for (size_t i = 0; i < size; i += 8) {
    uint64_t v = Next(state);
    for (size_t k = 0; k < 8 && i + k < size; ++k) data[i + k] = static_cast<char>(v >> (8 * k));
  }
  std::FILE* f = std::fopen(p.c_str(), "wb");
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
  fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(24 * 365));
}

// Nested directories three deep; every file has a fixed time in the past so
// that "newer" has something to compare.
void BuildTree(const fs::path& root, int smallFiles, int largeMb) {
  uint64_t state = 0x5EED5EED12345678ULL;
  int made = 0;
  for (int a = 0; made < smallFiles; ++a) {
    for (int b = 0; b < 8 && made < smallFiles; ++b) {
      const fs::path dir = root / ("dir" + std::to_string(a)) / ("sub" + std::to_string(b)) / "leaf";
      fs::create_directories(dir);
      for (int c = 0; c < 25 && made < smallFiles; ++c, ++made) {
        WriteFile(dir / ("file" + std::to_string(c) + ".dat"), 512 + Next(state) % 16384, state);
      }
    }
  }
  for (int i = 0; i < 3; ++i) {
    fs::create_directories(root / "large");
    WriteFile(root / "large" / ("big" + std::to_string(i) + ".bin"), static_cast<size_t>(largeMb) << 20, state);
  }
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double TimeCommand(const std::string& command) {
  sync();
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "copy_bench: failed: %s\n", command.c_str());
    std::exit(1);
  }
  return Seconds(start);
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string ReadText(const fs::path& p) {
  std::string text;
  if (std::FILE* f = std::fopen(p.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// The simulated computer the runs work on: the tree on C:, the copies on the
// enclosure's E:, the disk's task file in `cwd`.
struct Machine {
  fs::path dir, cwd;
  std::string disk;  // the enclosure's index in corvex's disk list

  std::string Corvex(const std::string& args) const {
    return "cd " + Quote(cwd.string()) + " && " + Quote(ZEL_CORVEX) + " " + args + " --machine " + Quote(dir.string());
  }

  // Makes the disk's task file hold just this one task.
  void SetTask(const std::string& target, const std::string& letters) const {
    for (const auto& e : fs::directory_iterator(cwd)) fs::remove(e.path());
    TimeCommand(Corvex("tasks add --disk " + disk + " 'C:\\tree' " + Quote(target) + " " + letters) + " >/dev/null 2>&1");
  }

  // One `corvex run` of the disk's tasks; the seconds, and the files copied
  // as its summary counts them.
  double Run(uint32_t& files) const {
    const fs::path log = dir / "run.log";
    const double seconds = TimeCommand(Corvex("run --yes --disk " + disk) + " >" + Quote(log.string()) + " 2>&1");
    const std::string text = ReadText(log);
    const size_t at = text.find("Total Files:");
    files = at == std::string::npos ? 0 : static_cast<uint32_t>(std::strtoul(text.c_str() + at + 12, nullptr, 10));
    return seconds;
  }
};

std::string EnclosureDisk(const fs::path& machine) {
  const fs::path list = machine / "disks.txt";
  TimeCommand(Quote(ZEL_CORVEX) + " disks --machine " + Quote(machine.string()) + " >" + Quote(list.string()));
  const std::string text = ReadText(list);
  // A disk line starts with its index; the enclosure's is marked " * ".
  size_t line = 0;
  while (line < text.size()) {
    size_t endLine = text.find('\n', line);
    if (endLine == std::string::npos) endLine = text.size();
    const std::string l = text.substr(line, endLine - line);
    const size_t b = l.find_first_not_of(' ');
    if (l.find(" * ") != std::string::npos && b != std::string::npos && std::isdigit(static_cast<unsigned char>(l[b]))) {
      return l.substr(b, l.find(' ', b) - b);
    }
    line = endLine + 1;
  }
  std::fprintf(stderr, "copy_bench: no enclosure in the simulated machine\n");
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir;
  int smallFiles = 4000;
  int largeMb = 48;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir") dir = argv[i + 1];
    else if (a == "--small") smallFiles = std::atoi(argv[i + 1]);
    else if (a == "--large-mb") largeMb = std::atoi(argv[i + 1]);
  }
  const fs::path work = dir.empty() ? fs::temp_directory_path() / ("zel-copy-bench-" + std::to_string(getpid()))
                                    : fs::path(dir);
  fs::remove_all(work);
  fs::create_directories(work);
  Machine m;
  m.dir = work / "machine";
  m.cwd = work / "cwd";
  fs::create_directories(m.cwd);
  TimeCommand(Quote(ZEL_ZELSIM) + " create " + Quote(m.dir.string()) + " --disk-mb 8192 >/dev/null");
  m.disk = EnclosureDisk(m.dir);
  const fs::path drives = m.dir / "drives";
  std::printf("building %d small files and 3 files of %d MiB on the simulated C:\n", smallFiles, largeMb);
  BuildTree(drives / "C" / "tree", smallFiles, largeMb);

  // Each pair runs twice, in both orders, each time into a new destination;
  // the better time of each counts. The previous round's copies are removed
  // outside the timings.
  const std::string src = (drives / "C" / "tree").string();
  uint32_t copied = 0, again = 0;
  double corvexFull = 1e9, cpFull = 1e9, corvexNoop = 1e9, rsyncNoop = 1e9;
  for (int round = 0; round < 2; ++round) {
    fs::remove_all(drives / "E" / "corvex");
    fs::remove_all(work / "cp");
    const std::string cpDst = (work / "cp").string();
    m.SetTask("E:\\corvex", "ASB");
    auto ours = [&] { corvexFull = std::min(corvexFull, m.Run(copied)); };
    auto theirs = [&] { cpFull = std::min(cpFull, TimeCommand("cp -a " + Quote(src) + " " + Quote(cpDst))); };
    if (round == 0) {
      ours();
      theirs();
    } else {
      theirs();
      ours();
    }
    m.SetTask("E:\\corvex", "ASNB");
    corvexNoop = std::min(corvexNoop, m.Run(again));
    rsyncNoop = std::min(rsyncNoop, TimeCommand("rsync -a --update " + Quote(src + "/") + " " + Quote(cpDst + "/")));
  }

  // Every run starts with discovery, which on the simulated machine adds up
  // each volume's host directory to answer its free space (a real volume
  // answers at once). Timed alone here, so the figures can be read with it.
  fs::remove_all(drives / "E" / "corvex");
  double discovery = 1e9;
  for (int i = 0; i < 2; ++i) {
    discovery = std::min(discovery, TimeCommand(Quote(ZEL_CORVEX) + " disks --machine " + Quote(m.dir.string()) +
                                                " >/dev/null"));
  }

  std::printf("full copy:    corvex run %.3f s (%u files)   cp -a %.3f s   ratio %.2f\n", corvexFull, copied, cpFull,
              corvexFull / cpFull);
  std::printf("no-op newer:  corvex run %.3f s (%u files)   rsync -a --update %.3f s   ratio %.2f\n", corvexNoop,
              again, rsyncNoop, corvexNoop / rsyncNoop);
  std::printf("of each corvex run, discovery on the simulated machine alone: %.3f s\n", discovery);
  if (dir.empty()) fs::remove_all(work);
  return copied == static_cast<uint32_t>(smallFiles + 3) && again == 0 ? 0 : 1;
}
