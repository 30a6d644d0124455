// Fuzzes the readers of the text files a user or another program hands us:
// config.ini, the language string file (.mlf) and the further language file
// it names (_cht.lng), in 8-bit text and in UTF-16LE. Whatever the bytes, the
// readers end, a text that is found fits its buffer, and every key the
// key list reports can be looked up.
//
// Input: byte 0 picks the system language, byte 1 the encodings (bit 0: the
// .mlf is UTF-16LE, bit 1: the _cht.lng is), bytes 2-3 the length of the .mlf
// part (little-endian); the rest is the .mlf, then the _cht.lng. The .mlf
// bytes also serve as config.ini.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/language_file.h"
#include "common/profile_read.h"
#include "common/text.h"
#include "ports/platform.h"
#include "platform/posix/ini_file.h"
#include "platform/posix/posix_profile.h"
#include "ports/system_port.h"

namespace {

using namespace zel;

void Check(bool ok) {
  if (!ok) std::abort();
}

class FuzzSystem final : public SystemPort {
 public:
  uint16_t language = 0x0409;
  uint16_t DefaultLanguage() override { return language; }
  uint32_t TickCount() override { return 0x0BADF00D; }
  OsVersion Version() override { return {5, 1, 2600}; }
  std::wstring ComputerName() override { return L"FUZZ"; }
  std::wstring ModulePath() override { return {}; }
  std::wstring CurrentDirectory() override { return {}; }
  bool ChangeDirectory(const std::wstring&) override { return false; }
  void Sleep(uint32_t) override {}
};

const uint16_t kLanguages[] = {0x0409, 0x0404, 0x0C04, 0x0804, 0x0411, 0x040A, 0x0000, 0xFFFF};

void WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Check(fd >= 0);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    Check(n > 0);
    done += static_cast<size_t>(n);
  }
  close(fd);
}

std::vector<uint8_t> Encoded(const uint8_t* data, size_t size, bool utf16) {
  std::vector<uint8_t> out;
  if (utf16) out = {0xFF, 0xFE};
  out.insert(out.end(), data, data + size);
  return out;
}

// The parsed file agrees with its own lookups.
void CheckParsed(const std::vector<uint8_t>& bytes) {
  const posix::IniFile ini = posix::ParseIni(posix::DecodeIniText(bytes));
  for (const posix::IniSection& section : ini.sections) {
    const posix::IniSection* found = posix::FindSection(ini, section.name);
    Check(posix::TrimIniBlanks(section.name).empty() || found != nullptr);
    for (const std::wstring& name : posix::ListedKeyNames(section)) {
      const posix::IniKey* key = posix::FindKey(section, name);
      Check(key != nullptr && key->value.has_value());
      posix::ParseProfileInt(*key->value);
    }
  }
}

template <class Ch>
void LookUpAll(const std::basic_string<Ch>& mlf, const std::vector<std::basic_string<Ch>>& keys) {
  const LanguageFile<Ch> language = LanguageFile<Ch>::Open(mlf);
  for (const std::basic_string<Ch>& key : keys) {
    std::basic_string<Ch> text;
    if (language.Lookup(key.c_str(), text)) {
      Check(text.size() <= kProfileTextBuffer - 2);
    } else {
      Check(text.empty());
    }
  }
}

template <class Ch>
void ReadConfig(const std::basic_string<Ch>& ini, const Ch* section) {
  const std::vector<std::basic_string<Ch>> keys = ReadSectionKeys(ini, section);
  for (const std::basic_string<Ch>& key : keys) {
    std::basic_string<Ch> text;
    const int result = ReadProfileString(ini, section, key.c_str(), text);
    Check(result == kProfileFound || result == kProfileTruncated || result == kProfileMissing);
    Check(result != kProfileMissing || text.empty());
    Check(text.size() < kProfileTextBuffer);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzSystem system;
  static posix::PosixProfile profile;
  // The files live in a directory of their own, removed at exit (its name is
  // kept in a buffer that outlives every destructor).
  static char dirName[] = "/tmp/zel-profile-fuzz.XXXXXX";
  static const std::string dir = [] {
    Check(mkdtemp(dirName) != nullptr);
    std::atexit([] {
      const std::string d = dirName;
      unlink((d + "/Fuzz.mlf").c_str());
      unlink((d + "/Fuzz_cht.lng").c_str());
      rmdir(d.c_str());
    });
    return std::string(dirName);
  }();
  static bool once = [] {
    Platform p;
    p.profile = &profile;
    p.system = &system;
    Ports() = p;
    return true;
  }();
  (void)once;
  if (size < 4) return 0;
  system.language = kLanguages[data[0] % (sizeof kLanguages / sizeof kLanguages[0])];
  const size_t mlfSize = std::min<size_t>(size - 4, data[2] | (data[3] << 8));
  const std::vector<uint8_t> mlf = Encoded(data + 4, mlfSize, (data[1] & 1) != 0);
  const std::vector<uint8_t> lng = Encoded(data + 4 + mlfSize, size - 4 - mlfSize, (data[1] & 2) != 0);
  const std::string mlfPath = dir + "/Fuzz.mlf";
  WriteWhole(mlfPath, mlf);
  WriteWhole(dir + "/Fuzz_cht.lng", lng);

  CheckParsed(mlf);
  CheckParsed(lng);
  // The keys the shipped files use, and one the files never hold.
  LookUpAll<wchar_t>(Utf8ToWide(mlfPath), {L"MsgStr01", L"MsgCaption01", L"CopyTask", L"SourceDir", L"Absent"});
  LookUpAll<char>(mlfPath, {"MsgStr01", "MsgCaption01", "Title", "Absent"});
  ReadConfig<wchar_t>(Utf8ToWide(mlfPath), L"Config");
  ReadConfig<char>(mlfPath, "HardwareID");
  return 0;
}
