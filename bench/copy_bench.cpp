// `corvex run` against the tools a Linux user would copy with, each a whole
// process on the same deterministic trees, measured in one run:
//
//   full copy into a new directory        cp -a             rsync -a
//   newer-only pass where nothing changed  cp -a --update    rsync -a --update
//
// on a set of small files (4,000 files of 1-16 KiB in 40 nested directories)
// and a set of large ones (8 files of 32 MiB). The runs of one figure take
// turns in a rotating order and the median of each counts, so a busy machine
// slows every tool alike; only the ratios are worth comparing between runs.
// Then how corvex's time and peak memory grow with the tree (1k, 10k and 100k
// files), and the time from `zelsim press` to the first copied file on the
// enclosure under `corvex watch`.
//
// The corvex runs work on a simulated machine made with `zelsim create`: the
// trees on its C:, the copies on the enclosure's E:. cp and rsync write theirs
// beside E:'s directory, so that every tool's new files land in the same part
// of the host file system, but not inside it: the simulated volume would
// count them too in every free-space answer, and the times cp and rsync set
// again on directories they pass through would make it count them afresh.
// For the same reason C: holds only the tree being measured: the trees wait
// beside the machine and each is moved onto C: for its own figures. Every
// run answers C:'s free space, which the simulator keeps exact by looking at
// each of the volume's directories; the small set's forty-odd directories
// would otherwise be looked at in every run on the large set, a cost that no
// real volume has.
//
// Nothing is deleted while a figure is taken: a copy that is no longer wanted
// is moved into a trash directory, emptied at the end. ext4 without a journal
// (this machine's root) passes over every inode freed in the last minutes when
// it makes a new one, so deleting a tree between runs would make the next
// tool's creates slower than the last one's, by however much had just been
// freed near its directory. For the same reason the figures start only some
// minutes after an earlier run removed its trees (see WaitForFreedInodes).
// The pages the host keeps of a copy set aside are given back, though: a
// host that hands memory the system has not used for a while back to its
// own host (a virtual machine that reports its free pages) makes every new
// page a copy writes cost a fault outside it, so that the copies one figure
// adds up would take each later run's pages from ever colder memory. Given
// back, each run writes into pages the last ones freed, as on a machine
// whose memory is its own.
//
// Every tool is started directly as a process of its own, with no shell in
// between, after the same short rest (see rest.h). Each figure is the wall
// time of the whole process, from its start until it has been waited for;
// the CPU time it took (user + system) is printed beside it.
// Usage:
//   copy_bench [--dir WORK] [--runs N] [--growth N,N,...|none] [--no-latency] [--quick]
// --quick makes small trees and one run of each, for a build check.
// COPY_BENCH_CORVEX names another corvex to measure in place of this build's.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "installed_copy.h"
#include "program_run.h"
#include "rest.h"

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
  if (f == nullptr || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "copy_bench: cannot write %s\n", p.c_str());
    std::exit(1);
  }
  // A fixed time in the past, so that "newer" has something to compare.
  fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(24 * 365));
}

// `files` files of minBytes..maxBytes spread over `dirs` directories, nested
// two deep (ten top directories, each with its own subdirectories).
void BuildTree(const fs::path& root, int files, int dirs, size_t minBytes, size_t maxBytes) {
  uint64_t state = 0x5EED5EED12345678ULL;
  std::vector<fs::path> where;
  const int top = std::min(dirs, 10);
  for (int i = 0; i < dirs; ++i) {
    const fs::path d = i < top ? root / ("dir" + std::to_string(i))
                               : root / ("dir" + std::to_string(i % top)) / ("sub" + std::to_string(i / top));
    fs::create_directories(d);
    where.push_back(d);
  }
  for (int i = 0; i < files; ++i) {
    const size_t size = minBytes + (maxBytes > minBytes ? Next(state) % (maxBytes - minBytes + 1) : 0);
    WriteFile(where[static_cast<size_t>(i) % where.size()] / ("file" + std::to_string(i) + ".dat"), size, state);
  }
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// The corvex under test: the one built beside the bench, or another build
// named by COPY_BENCH_CORVEX (to set two versions side by side), installed
// into the work directory at the start (see installed_copy.h).
std::string installedCorvex;

std::string BuiltCorvex() {
  const char* other = std::getenv("COPY_BENCH_CORVEX");
  return other != nullptr && *other != 0 ? other : ZEL_CORVEX;
}

const std::string& CorvexPath() { return installedCorvex; }

int Run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// The CPU seconds of the last program timed.
double lastCpu = 0;

// Runs `argv` (see program_run.h) after the rest every timed run starts
// from, and gives its wall seconds; `output`, when given, receives what it
// writes. A program that fails ends the bench.
double TimeProgram(const std::vector<std::string>& argv, const std::string& cwd = {}, std::string* output = nullptr) {
  RestBeforeRun();
  struct rusage usage {};
  const auto start = Clock::now();
  const bool ok = bench::RunProgram(argv, cwd, output, usage);
  const double seconds = Seconds(start);
  if (!ok) {
    std::fprintf(stderr, "copy_bench: failed: %s\n", bench::CommandLine(argv).c_str());
    std::exit(1);
  }
  lastCpu = bench::CpuSeconds(usage);
  return seconds;
}

// Where copies go when they are no longer wanted (see above).
struct Trash {
  fs::path dir;
  int count = 0;

  void MoveAside(const fs::path& p) {
    if (!fs::exists(fs::symlink_status(p))) return;
    fs::create_directories(dir);
    const fs::path aside = dir / std::to_string(count++);
    fs::rename(p, aside);
    DropCachedPages(aside);
  }

  // Written out first: only pages that match the disk can be dropped.
  static void DropCachedPages(const fs::path& tree) {
    sync();
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(tree, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      const int fd = open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) continue;
      posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
      close(fd);
    }
  }
  void Empty() { fs::remove_all(dir); }
};

Trash trash;

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

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The simulated computer the runs work on: the trees on C:, the copies on
// the enclosure's E:, the disk's task file in `cwd`.
struct Machine {
  fs::path dir, cwd;
  std::string disk;  // the enclosure's index in corvex's disk list

  fs::path Drive(char letter) const { return dir / "drives" / std::string(1, letter); }
  // Where the other tools copy to, beside the drives' directories.
  fs::path Peers() const { return dir / "drives" / "peers"; }
  // Where a tree waits while another is measured: beside the machine.
  fs::path Staged(const std::string& set) const { return dir.parent_path() / "sets" / set; }

  std::string Corvex(const std::string& args) const {
    return "cd " + Quote(cwd.string()) + " && " + Quote(CorvexPath()) + " " + args + " --machine " + Quote(dir.string());
  }

  // Makes the disk's task file hold just this one task. A missing target is
  // kept as typed (--no): add never stops to ask at a terminal, and the runs
  // create it themselves, inside the timings as a user's run would.
  void SetTask(const std::string& source, const std::string& target, const std::string& letters) const {
    for (const auto& e : fs::directory_iterator(cwd)) fs::remove(e.path());
    if (Run(Corvex("tasks add --no --disk " + disk + " " + Quote(source) + " " + Quote(target) + " " + letters) +
            " >/dev/null 2>&1 </dev/null") != 0) {
      std::fprintf(stderr, "copy_bench: cannot write the task file\n");
      std::exit(1);
    }
  }

  // One `corvex run` of the disk's tasks: the seconds; the files copied as
  // its summary counts them. Its output comes through a pipe: written to a
  // log file emptied for each run, the host would first write out the last
  // run's text, a cost that none of the other tools' timings holds.
  // With `peakKib` the run is one for its peak memory instead, under
  // `/usr/bin/time -f %M`: a process started straight from the bench
  // would report the bench's own resident size, which it shares until its
  // program is loaded. Its time is not a figure.
  double RunTasks(uint32_t& files, long* peakKib = nullptr) const {
    std::vector<std::string> argv = {CorvexPath(), "run", "--yes", "--disk", disk, "--machine", dir.string()};
    const fs::path mem = dir / "mem.txt";
    if (peakKib) argv.insert(argv.begin(), {"/usr/bin/time", "-f", "%M", "-o", mem.string()});
    std::string text;
    const double seconds = TimeProgram(argv, cwd.string(), &text);
    const size_t at = text.find("Total Files:");
    files = at == std::string::npos ? 0 : static_cast<uint32_t>(std::strtoul(text.c_str() + at + 12, nullptr, 10));
    if (peakKib) *peakKib = std::strtol(ReadText(mem).c_str(), nullptr, 10);
    return seconds;
  }
};

std::string EnclosureDisk(const fs::path& machine) {
  std::string text;
  TimeProgram({CorvexPath(), "disks", "--machine", machine.string()}, {}, &text);
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

// Runs each contender once per round, the order turning by one each round;
// `prepare` runs outside the timings before each of them.
struct Contender {
  std::string name;
  std::function<void()> prepare;
  std::function<double()> run;
  std::vector<double> times, cpu;
};

void Rounds(std::vector<Contender>& all, int runs) {
  for (int round = 0; round < runs; ++round) {
    for (size_t k = 0; k < all.size(); ++k) {
      Contender& c = all[(k + static_cast<size_t>(round)) % all.size()];
      if (c.prepare) c.prepare();
      c.times.push_back(c.run());
      c.cpu.push_back(lastCpu);
    }
  }
}

void Expect(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "copy_bench: %s\n", what);
    std::exit(1);
  }
}

// One figure's line: the medians of wall time, then of CPU time, and the
// ratios of corvex's to the others'. Times are in milliseconds: a pass with
// nothing newer on the large set takes two or so.
void PrintFigure(const std::string& set, const char* what, const std::vector<Contender>& c) {
  const double w0 = Median(c[0].times), w1 = Median(c[1].times), w2 = Median(c[2].times);
  const double u0 = Median(c[0].cpu), u1 = Median(c[1].cpu), u2 = Median(c[2].cpu);
  std::printf("%-6s %-14s corvex %8.2f ms   %s %8.2f ms   %s %8.2f ms   corvex/cp %5.2f   corvex/rsync %5.2f\n",
              set.c_str(), what, w0 * 1000, c[1].name.c_str(), w1 * 1000, c[2].name.c_str(), w2 * 1000, w0 / w1,
              w0 / w2);
  std::printf("%-6s %-14s    cpu %8.2f ms   %*s %8.2f ms   %*s %8.2f ms         cpu %5.2f             cpu %5.2f\n",
              "", "",
              u0 * 1000, static_cast<int>(c[1].name.size()), "", u1 * 1000, static_cast<int>(c[2].name.size()), "",
              u2 * 1000,
              u1 > 0 ? u0 / u1 : 0, u2 > 0 ? u0 / u2 : 0);
}

// A tree built beside the machine, on its C: while this lives. A run
// outside the timings lets the simulator count the volume afresh, so that
// the first timed run does not pay for the move.
class OnDriveC {
 public:
  OnDriveC(const Machine& m, const std::string& set) : m_(m), set_(set) {
    fs::rename(m.Staged(set), m.Drive('C') / set);
    Settle();
  }
  ~OnDriveC() {
    fs::rename(m_.Drive('C') / set_, m_.Staged(set_));
    Settle();
  }
  OnDriveC(const OnDriveC&) = delete;
  OnDriveC& operator=(const OnDriveC&) = delete;

 private:
  void Settle() const { Run(m_.Corvex("disks") + " >/dev/null 2>&1"); }
  const Machine& m_;
  std::string set_;
};

// The figures of one tree: a full copy and a nothing-changed newer pass of
// corvex, cp and rsync.
constexpr int kNothingNewerRounds = 5;

void CompareOnTree(const Machine& m, const std::string& set, int files, int runs) {
  const std::string task = "C:\\" + set;
  const fs::path src = m.Drive('C') / set, ours = m.Drive('E') / ("corvex-" + set);
  const fs::path cpDst = m.Peers() / ("cp-" + set), rsyncDst = m.Peers() / ("rsync-" + set);
  const std::string target = "E:\\corvex-" + set;
  auto fresh = [](const fs::path& p) { return [p] { trash.MoveAside(p); }; };
  uint32_t copied = 0;
  bool allCopied = true, noneCopied = true;

  const OnDriveC staged(m, set);
  m.SetTask(task, target, "ASB");
  std::vector<Contender> full = {
      {"corvex run", fresh(ours), [&] { double s = m.RunTasks(copied); allCopied &= copied == static_cast<uint32_t>(files); return s; }, {}, {}},
      {"cp -a", fresh(cpDst), [&] { return TimeProgram({"cp", "-a", src.string(), cpDst.string()}); }, {}, {}},
      {"rsync -a", fresh(rsyncDst), [&] { return TimeProgram({"rsync", "-a", src.string() + "/", rsyncDst.string() + "/"}); }, {}, {}},
  };
  Rounds(full, runs);

  // Every destination now holds a whole copy; the second pass finds nothing newer.
  m.SetTask(task, target, "ASNB");
  std::vector<Contender> noop = {
      {"corvex run", nullptr, [&] { double s = m.RunTasks(copied); noneCopied &= copied == 0; return s; }, {}, {}},
      {"cp -a --update", nullptr, [&] { return TimeProgram({"cp", "-a", "--update", src.string() + "/.", cpDst.string() + "/"}); }, {}, {}},
      {"rsync -a --update", nullptr, [&] { return TimeProgram({"rsync", "-a", "--update", src.string() + "/", rsyncDst.string() + "/"}); }, {}, {}},
  };
  // A pass that copies nothing takes a millisecond or two, about as long as
  // the host's own hiccups: it is taken five times as often, for a median
  // that holds still from one bench run to the next (three times as often,
  // its ratio still moved between 0.84 and 0.97 from run to run).
  Rounds(noop, kNothingNewerRounds * runs);
  Expect(allCopied, "a full corvex run did not copy every file");
  Expect(noneCopied, "a newer-only corvex run copied files that had not changed");

  PrintFigure(set, "full copy", full);
  PrintFigure(set, "nothing newer", noop);
  std::fflush(stdout);
  trash.MoveAside(ours);
  trash.MoveAside(cpDst);
  trash.MoveAside(rsyncDst);
}

// Time and peak memory of corvex (and cp alongside) as the tree grows.
void Scaling(const Machine& m, const std::vector<int>& sizes, int runs) {
  std::printf("\ngrowth with the tree (1 KiB files, 100 a directory; medians of %d)\n", runs);
  std::printf("%8s %10s %10s %8s %12s %10s %14s %12s %12s\n", "files", "corvex s", "cp -a s", "ratio", "us/file",
              "newer s", "cp --update s", "peak KiB", "newer KiB");
  for (int files : sizes) {
    const std::string set = "grow" + std::to_string(files);
    const fs::path src = m.Drive('C') / set, ours = m.Drive('E') / set, cpDst = m.Peers() / set;
    BuildTree(src, files, std::max(1, files / 100), 1024, 1024);
    m.SetTask("C:\\" + set, "E:\\" + set, "ASB");
    std::vector<double> full, cp, newer, cpNewer;
    long peak = 0, peakNewer = 0;
    uint32_t copied = 0;
    for (int r = 0; r < runs; ++r) {
      trash.MoveAside(ours);
      trash.MoveAside(cpDst);
      full.push_back(m.RunTasks(copied));
      Expect(copied == static_cast<uint32_t>(files), "a growth run did not copy every file");
      cp.push_back(TimeProgram({"cp", "-a", src.string(), cpDst.string()}));
    }
    trash.MoveAside(ours);
    m.RunTasks(copied, &peak);
    Expect(copied == static_cast<uint32_t>(files), "a growth run did not copy every file");
    m.SetTask("C:\\" + set, "E:\\" + set, "ASNB");
    for (int r = 0; r < runs; ++r) {
      newer.push_back(m.RunTasks(copied));
      Expect(copied == 0, "a newer-only growth run copied files");
      cpNewer.push_back(TimeProgram({"cp", "-a", "--update", src.string() + "/.", cpDst.string() + "/"}));
    }
    m.RunTasks(copied, &peakNewer);
    Expect(copied == 0, "a newer-only growth run copied files");
    const double f = Median(full), c = Median(cp);
    std::printf("%8d %10.3f %10.3f %8.2f %12.1f %10.3f %14.3f %12ld %12ld\n", files, f, c, f / c, f * 1e6 / files,
                Median(newer), Median(cpNewer), peak, peakNewer);
    std::fflush(stdout);
    trash.MoveAside(ours);
    trash.MoveAside(cpDst);
    trash.MoveAside(src);
  }
}

// The file a backup of `dir` copies first: the engine walks the entries in
// the order the file system keeps them, into each directory as it meets it.
bool FirstFile(const fs::path& dir, fs::path& out) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return false;
  bool found = false;
  while (struct dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const fs::path p = dir / name;
    if (fs::is_directory(p) ? FirstFile(p, out) : (out = p, true)) {
      found = true;
      break;
    }
  }
  closedir(d);
  return found;
}

pid_t Spawn(const std::string& command) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// From `zelsim press` to the first file of the small set on the enclosure,
// with `corvex watch` polling the buttons.
void Latency(const Machine& m, int presses) {
  const OnDriveC staged(m, "small");
  const fs::path src = m.Drive('C') / "small", target = m.Drive('E') / "watch";
  fs::path first;
  Expect(FirstFile(src, first), "the small set has no file");
  const fs::path expected = target / fs::relative(first, src);
  m.SetTask("C:\\small", "E:\\watch", "ASB");
  std::vector<double> seconds;
  for (int i = 0; i < presses; ++i) {
    trash.MoveAside(target);
    const fs::path log = m.dir / "watch.log";
    const pid_t watcher = Spawn(m.Corvex("watch --presses 1 --seconds 60 --yes") + " >" + Quote(log.string()) + " 2>&1");
    for (int k = 0; k < 300 && ReadText(log).find("watching") == std::string::npos; ++k) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Presses land anywhere in the poll period, as a user's do.
    std::this_thread::sleep_for(std::chrono::milliseconds(300 + 577 * i % 2000));
    const auto start = Clock::now();
    Expect(Run(Quote(ZEL_ZELSIM) + " press " + Quote(m.dir.string()) + " >/dev/null") == 0, "zelsim press failed");
    while (!fs::exists(expected) && Seconds(start) < 30) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    seconds.push_back(Seconds(start));
    int status = 0;
    waitpid(watcher, &status, 0);
  }
  std::printf("\npress to first file under corvex watch (2 s poll):");
  for (double s : seconds) std::printf(" %.2f", s);
  std::printf("   median %.2f s   worst %.2f s\n", Median(seconds), *std::max_element(seconds.begin(), seconds.end()));
  std::fflush(stdout);
  trash.MoveAside(target);
}

// ext4 without a journal skips, when it makes a new file, every inode freed
// in the last minute, looking at each in turn, and in the last six minutes
// where the block that holds the freed inode has changed since, as making
// files beside it does. Right after a large tree was removed, by this bench's
// last run or its own start, every copy measured would make its files more
// slowly, by however much had been freed near its directory. A run notes
// when it removed its trees (in the temporary directory, for the next run),
// and the figures start six minutes after the last removal.
fs::path RemovalNote() { return fs::temp_directory_path() / "zel-copy-bench.removed"; }

void NoteRemoval() {
  sync();
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
  if (std::FILE* f = std::fopen(RemovalNote().c_str(), "w")) {
    std::fprintf(f, "%lld\n", static_cast<long long>(now.count()));
    std::fclose(f);
  }
}

void WaitForFreedInodes() {
  sync();
  const long long removed = std::atoll(ReadText(RemovalNote()).c_str());
  if (removed <= 0) return;
  const auto ready = std::chrono::system_clock::time_point(std::chrono::seconds(removed + 365));
  const auto now = std::chrono::system_clock::now();
  if (now >= ready) return;
  std::printf("waiting %.0f s: files removed %.0f s ago are still passed over when new ones are made\n",
              std::chrono::duration<double>(ready - now).count(),
              std::chrono::duration<double>(now - (ready - std::chrono::seconds(365))).count());
  std::fflush(stdout);
  std::this_thread::sleep_until(ready);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir;
  int runs = 7;
  bool quick = false, latency = true;
  std::vector<int> growth = {1000, 10000, 100000};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--dir" && i + 1 < argc) dir = argv[++i];
    else if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--growth" && i + 1 < argc) {
      growth.clear();
      for (const char* p = argv[++i]; *p != 0;) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p) break;  // "none"
        if (n > 0) growth.push_back(static_cast<int>(n));
        p = *end == ',' ? end + 1 : end;
      }
    } else if (a == "--no-latency") latency = false;
    else if (a == "--quick") quick = true;
    else {
      std::fprintf(stderr, "usage: copy_bench [--dir WORK] [--runs N] [--growth N,N,...|none] [--no-latency] [--quick]\n");
      return 2;
    }
  }
  if (quick) growth = {100, 1000};
  if (quick) runs = 1;
  const fs::path work = dir.empty() ? fs::temp_directory_path() / ("zel-copy-bench-" + std::to_string(getpid()))
                                    : fs::path(dir);
  // What an earlier run left is removed first (a work directory of an
  // older version of the bench kept it beside, as ".earlier").
  std::error_code gone;
  const bool earlier = fs::remove_all(work.string() + ".earlier", gone) + fs::remove_all(work, gone) > 0;
  if (earlier) NoteRemoval();
  fs::create_directories(work);
  installedCorvex = bench::InstalledCopy(BuiltCorvex(), work / "program");
  Expect(!installedCorvex.empty(), "cannot install corvex into the work directory");
  trash.dir = work / "trash";
  Machine m;
  m.dir = work / "machine";
  m.cwd = work / "cwd";
  fs::create_directories(m.cwd);
  Expect(Run(Quote(ZEL_ZELSIM) + " create " + Quote(m.dir.string()) + " --disk-mb 16384 >/dev/null") == 0,
         "zelsim create failed");
  m.disk = EnclosureDisk(m.dir);

  const int smallFiles = quick ? 400 : 4000, largeFiles = 8;
  const size_t largeBytes = quick ? (1u << 20) : (32u << 20);
  std::printf("small: %d files of 1-16 KiB in 40 directories; large: %d files of %zu MiB; medians of %d runs "
              "(%d of a pass with nothing newer)\n",
              smallFiles, largeFiles, largeBytes >> 20, runs, kNothingNewerRounds * runs);
  fs::create_directories(m.Peers());
  BuildTree(m.Staged("small"), smallFiles, 40, 1024, 16384);
  BuildTree(m.Staged("large"), largeFiles, 1, largeBytes, largeBytes);
  std::fflush(stdout);
  if (!quick) WaitForFreedInodes();
  CompareOnTree(m, "small", smallFiles, runs);
  CompareOnTree(m, "large", largeFiles, runs);

  // Every run starts with discovery; on the simulated machine its share is this.
  std::vector<double> discovery;
  for (int i = 0; i < runs; ++i) {
    discovery.push_back(TimeProgram({CorvexPath(), "disks", "--machine", m.dir.string()}));
  }
  std::printf("discovery alone (corvex disks): %.3f s\n", Median(discovery));

  if (!growth.empty()) Scaling(m, growth, quick ? 1 : std::min(runs, 3));
  if (latency) Latency(m, quick ? 1 : 5);
  trash.Empty();
  if (dir.empty()) fs::remove_all(work);
  NoteRemoval();
  return 0;
}
