// Fuzzes loading a task file: whatever the bytes, Load either takes the file
// whole (within the list's limits) or refuses it and leaves the list as it
// was. The file lives in memory behind the file-system port.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "copy/task_file.h"
#include "copy/task_list.h"
#include "ports/platform.h"
#include "tests/support/scripted_prompter.h"

namespace {

using namespace zel;

// One file, "t.CT", whose bytes are the fuzzer's input.
class OneFile : public FileSystemPort {
 public:
  std::vector<uint8_t> bytes;
  uint32_t attributes = kAttrHidden | kAttrArchive;

  std::unique_ptr<FindHandle> FindFirst(const std::wstring&, FindData&, long& error, FindAttributes,
                                        DotEntries) override {
    error = kErrorFileNotFound;
    return nullptr;
  }
  uint32_t GetAttributes(const std::wstring&) override { return attributes; }
  long SetAttributes(const std::wstring&, uint32_t a) override {
    attributes = a;
    return kErrorSuccess;
  }
  long CopyFile(const std::wstring&, const std::wstring&, bool, TargetName) override { return kErrorAccessDenied; }
  long CreateDirectory(const std::wstring&) override { return kErrorAccessDenied; }
  long MoveDirectory(const std::wstring&, const std::wstring&) override { return kErrorAccessDenied; }
  long RemoveTree(const std::wstring&) override { return kErrorAccessDenied; }
  long ReadFile(const std::wstring&, uint64_t maxBytes, std::vector<uint8_t>& out) override {
    out.assign(bytes.begin(), bytes.begin() + static_cast<long>(std::min<uint64_t>(maxBytes, bytes.size())));
    return kErrorSuccess;
  }
  long WriteFile(const std::wstring&, const std::vector<uint8_t>&) override { return kErrorAccessDenied; }
  long DeleteFile(const std::wstring&) override { return kErrorAccessDenied; }
  long SetLastWriteTime(const std::wstring&, uint64_t) override { return kErrorAccessDenied; }
};

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static OneFile file;
  static ScriptedPrompter prompter;
  static bool once = [] {
    Platform p;
    p.files = &file;
    p.prompter = &prompter;
    Ports() = p;
    // Two attached disks, so that stored records can match, move letters or be missing.
    DiskList& disks = GlobalDiskList();
    disks.count = 2;
    disks.disks[0].identity = 0x11111111;
    disks.disks[0].volumeCount = 2;
    disks.disks[0].volumes[0].driveLetter = u'G';
    disks.disks[1].identity = 0;
    disks.disks[1].volumeCount = 1;
    disks.disks[1].volumes[0].driveLetter = u'E';
    return true;
  }();
  (void)once;

  file.bytes.assign(data, data + size);
  file.attributes = kAttrHidden | kAttrArchive;
  prompter.ClearBoxes();

  TaskList list;
  list.Add(L"C:\\before", L"E:\\before", L"ASB");
  const std::vector<CopyTask> before = list.Tasks();
  const int loaded = list.Load(L"t.CT", false);
  Check(file.attributes == (kAttrHidden | kAttrArchive));
  if (loaded == 0) {
    Check(list.Tasks() == before);
    Check(prompter.Count() == 1);
    return 0;
  }
  Check(list.Count() >= 0 && list.Count() <= static_cast<int32_t>(TaskList::kMaxTasks));
  for (const CopyTask& t : list.Tasks()) {
    Check(t.source.size() < kTaskPathCapacity && t.destination.size() < kTaskPathCapacity);
  }
  Check(list.RemapTable().size() <= kMaxRemapPairs);
  // A file taken whole says the same when written again without disks.
  TaskFileContents again;
  Check(ParseTaskFile(EncodeTaskFile(DiskList{}, list.Tasks()), again));
  Check(again.tasks == list.Tasks());
  return 0;
}
