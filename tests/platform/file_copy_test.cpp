// A file's contents copied on a POSIX host: in the kernel where it copies,
// through reads and writes where it refuses or stops short, and never past
// the room a full volume leaves.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/file_copy.h"
#include "platform/posix/host_file.h"
#include "tests/support/test_files.h"

namespace zel {
namespace {

// The kernel copies of the cases: how many bytes each gives before it answers
// `err` (0: it stops as at the end of the file; -1: it never stops).
long gKernelBytes = -1;
int gKernelError = 0;
int gKernelCalls = 0;

ssize_t FakeKernelCopy(int in, int out, size_t bytes) {
  ++gKernelCalls;
  if (gKernelBytes == 0) {
    if (gKernelError == 0) return 0;
    errno = gKernelError;
    return -1;
  }
  if (gKernelBytes > 0 && bytes > static_cast<size_t>(gKernelBytes)) bytes = static_cast<size_t>(gKernelBytes);
  const ssize_t n = KernelCopyRange(in, out, bytes);
  if (n > 0 && gKernelBytes > 0) gKernelBytes -= n;
  return n;
}

class FileContents : public ::testing::Test {
 protected:
  void SetUp() override {
    for (size_t i = 0; i < kSize; ++i) data_.push_back(static_cast<char>('a' + i * 7 % 26));
    dir_.Write("in", data_);
    in_.Reset(open(dir_.Narrow("in").c_str(), O_RDONLY | O_CLOEXEC));
    out_.Reset(open(dir_.Narrow("out").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_TRUE(in_.Valid() && out_.Valid());
  }

  std::string Written() {
    std::string text(kSize * 2, '\0');
    const ssize_t n = pread(out_.Get(), text.data(), text.size(), 0);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
  }

  static constexpr size_t kSize = 300000;
  test::TempDir dir_;
  std::string data_;
  UniqueFd in_;
  UniqueFd out_;
};

TEST_F(FileContents, TheKernelsRefusalsAndShortEndsGoOnThroughABuffer) {
  struct Case {
    const char* what;
    long kernelBytes;
    int kernelError;
    uint64_t room;
    int result;
    size_t written;
  } const cases[] = {
      {"the kernel copies it all", -1, 0, UINT64_MAX, 0, kSize},
      {"another file system", 0, EXDEV, UINT64_MAX, 0, kSize},
      {"a kernel without the call", 0, ENOSYS, UINT64_MAX, 0, kSize},
      {"a file system without it", 0, EOPNOTSUPP, UINT64_MAX, 0, kSize},
      {"a kind of file it cannot copy", 0, EINVAL, UINT64_MAX, 0, kSize},
      {"refused after a part", 70000, EXDEV, UINT64_MAX, 0, kSize},
      {"an end before the size", 70000, 0, UINT64_MAX, 0, kSize},
      {"a read error is the copy's", 0, EIO, UINT64_MAX, EIO, 0},
      {"the room a volume leaves, in the kernel", -1, 0, 100000, ENOSPC, 100000},
      {"the room a volume leaves, through the buffer", 0, EXDEV, 100000, ENOSPC, 100000},
      {"a file that just fits", -1, 0, kSize, 0, kSize},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(lseek(in_.Get(), 0, SEEK_SET), 0);
    ASSERT_EQ(ftruncate(out_.Get(), 0), 0);
    ASSERT_EQ(lseek(out_.Get(), 0, SEEK_SET), 0);
    gKernelBytes = c.kernelBytes;
    gKernelError = c.kernelError;
    gKernelCalls = 0;
    EXPECT_EQ(CopyFileContents(in_.Get(), out_.Get(), kSize, c.room, FakeKernelCopy), c.result);
    EXPECT_EQ(Written(), data_.substr(0, c.written));
    EXPECT_GE(gKernelCalls, 1);
  }
}

// A file that shrank after it was measured is copied as it now is.
TEST_F(FileContents, AFileShorterThanMeasuredEndsWhereItEnds) {
  gKernelBytes = -1;
  gKernelError = 0;
  EXPECT_EQ(CopyFileContents(in_.Get(), out_.Get(), kSize + 5000, UINT64_MAX, FakeKernelCopy), 0);
  EXPECT_EQ(Written(), data_);
}

// Once the kernel has refused, the rest goes through the buffer without
// asking it again.
TEST_F(FileContents, ARefusingKernelIsAskedOnce) {
  gKernelBytes = 0;
  gKernelError = EXDEV;
  gKernelCalls = 0;
  EXPECT_EQ(CopyFileContents(in_.Get(), out_.Get(), kSize, UINT64_MAX, FakeKernelCopy), 0);
  EXPECT_EQ(gKernelCalls, 1);
  EXPECT_EQ(Written(), data_);
}

// A copy has the source's mode, whatever of it the process's mask would take
// away from a new file: kept whole, narrowed by the mask, read-only.
TEST(HostFileCopy, ACopyHasTheSourcesMode) {
  test::TempDir dir;
  const mode_t mask = umask(022);
  for (const mode_t mode : {0644, 0600, 0755, 0664, 0666, 0444, 0400}) {
    SCOPED_TRACE(mode);
    const std::string from = dir.Narrow("from"), to = dir.Narrow("to");
    dir.Write("from", "mode");
    ASSERT_EQ(chmod(from.c_str(), mode), 0);
    unlink(to.c_str());
    ASSERT_EQ(CopyHostFile(from, to, false, nullptr), 0);
    struct stat st;
    ASSERT_EQ(stat(to.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    chmod(from.c_str(), 0644);
    chmod(to.c_str(), 0644);
  }
  umask(mask);
}

}  // namespace
}  // namespace zel
