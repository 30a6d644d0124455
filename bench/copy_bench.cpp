// The copy engine against cp and rsync on one deterministic tree: thousands
// of small files in nested directories and a few large ones.
//
//   1. a backup run into a new destination          vs  cp -a
//   2. the same run again with the newer bit, where nothing changed
//                                                   vs  rsync -a --update
//
// The run is the one `corvex run` makes: the disk's task file is loaded and
// the worker copies while the caller waits for it. Usage:
//   copy_bench [--dir WORK] [--small N] [--large-mb M]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "copy/copy_run.h"
#include "copy/task_file.h"
#include "copy/task_flags.h"
#include "platform/platform.h"
#include "platform/posix/file_system_posix.h"
#include "platform/scripted_prompter.h"

namespace {

using namespace zel;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class QuietView : public CopyView {
 public:
  void SetItemText(int, const std::wstring&) override {}
  void SetCaption(const std::wstring&) override {}
  void SetProgress(int) override {}
  uintptr_t Owner() const override { return 0; }
};

class NoBridge : public BridgeRegisters {
 public:
  bool Read(wchar_t, uint8_t, uint16_t, uint16_t, uint8_t*) override { return false; }
  bool Write(wchar_t, uint8_t, uint16_t, uint8_t, uint8_t) override { return false; }
};

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

// One run of the disk's tasks; returns the seconds and the files copied.
double TimeRun(const std::wstring& target, uint16_t flags, uint32_t& files) {
  DiskList none;
  const std::vector<CopyTask> tasks = {{L"S:\\tree", target, flags}};
  Ports().files->WriteFile(TaskFileName(0xBE), EncodeTaskFile(none, tasks));
  QuietView view;
  NoBridge bridge;
  TaskList list;
  sync();
  const auto start = Clock::now();
  CopyRun run(view, bridge, list);
  run.SetDiskIndex(0);
  if (!run.Start()) {
    std::fprintf(stderr, "copy_bench: the run did not start\n");
    std::exit(1);
  }
  while (!run.Tick()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  files = run.FilesCopied();
  return Seconds(start);
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
  fs::create_directories(work / "src" / "tree");
  fs::create_directories(work / "dst");
  fs::create_directories(work / "cwd");
  std::printf("building %d small files and 3 files of %d MiB under %s\n", smallFiles, largeMb, work.c_str());
  BuildTree(work / "src" / "tree", smallFiles, largeMb);

  PosixFileSystem files({{L'S', (work / "src").string()}, {L'T', (work / "dst").string()}});
  ScriptedPrompter prompter;
  Platform ports;
  ports.files = &files;
  ports.prompter = &prompter;
  ScopedPorts scoped(ports);
  fs::current_path(work / "cwd");
  GlobalDiskList().count = 1;
  GlobalDiskList().disks[0].identity = 0xBE;

  // Each pair runs twice, in both orders, each time into a new destination
  // (nothing is deleted between the timings); the better time of each counts.
  const std::string src = (work / "src" / "tree").string();
  uint32_t copied = 0, again = 0;
  double corvexFull = 1e9, cpFull = 1e9, corvexNoop = 1e9, rsyncNoop = 1e9;
  for (int round = 0; round < 2; ++round) {
    const std::wstring target = L"T:\\corvex" + std::to_wstring(round);
    const std::string cpDst = (work / "dst" / ("cp" + std::to_string(round))).string();
    fs::create_directories(work / "dst" / ("corvex" + std::to_string(round)));
    auto ours = [&] {
      corvexFull = std::min(corvexFull, TimeRun(target, kTaskActive | kTaskSubdirs | kTaskBackup, copied));
    };
    auto theirs = [&] { cpFull = std::min(cpFull, TimeCommand("cp -a '" + src + "' '" + cpDst + "'")); };
    if (round == 0) {
      ours();
      theirs();
    } else {
      theirs();
      ours();
    }
    corvexNoop = std::min(corvexNoop, TimeRun(target, kTaskActive | kTaskSubdirs | kTaskNewer | kTaskBackup, again));
    rsyncNoop = std::min(rsyncNoop, TimeCommand("rsync -a --update '" + src + "/' '" + cpDst + "/'"));
  }

  std::printf("full copy:    corvex run %.3f s (%u files)   cp -a %.3f s   ratio %.2f\n", corvexFull, copied, cpFull,
              corvexFull / cpFull);
  std::printf("no-op newer:  corvex run %.3f s (%u files)   rsync -a --update %.3f s   ratio %.2f\n", corvexNoop,
              again, rsyncNoop, corvexNoop / rsyncNoop);
  fs::current_path(fs::temp_directory_path());
  if (dir.empty()) fs::remove_all(work);
  return copied == static_cast<uint32_t>(smallFiles + 3) && again == 0 ? 0 : 1;
}
