#include "platform/posix/posix_system.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/text.h"

namespace zel::posix {
namespace {

struct LocaleLanguage {
  const char* name;  // "ll_CC" or "ll" for the language's usual country
  uint16_t id;
};

// Language identifiers of the locales a user of the suite is likely to have.
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en", 0x0409},    {"zh_TW", 0x0404}, {"zh_CN", 0x0804}, {"zh_HK", 0x0C04},
    {"zh_SG", 0x1004}, {"zh_MO", 0x1404}, {"zh", 0x0804},    {"ja_JP", 0x0411},
    {"ja", 0x0411},    {"ko_KR", 0x0412}, {"ko", 0x0412},    {"de_DE", 0x0407},
    {"de_AT", 0x0C07}, {"de_CH", 0x0807}, {"de", 0x0407},    {"fr_FR", 0x040C},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr", 0x040C},
    {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es", 0x0C0A},    {"it_IT", 0x0410},
    {"it", 0x0410},    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"pt", 0x0816},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nl", 0x0413},    {"ru_RU", 0x0419},
    {"ru", 0x0419},    {"pl_PL", 0x0415}, {"pl", 0x0415},    {"sv_SE", 0x041D},
    {"sv", 0x041D},    {"cs_CZ", 0x0405}, {"cs", 0x0405},    {"th_TH", 0x041E},
    {"th", 0x041E},    {"tr_TR", 0x041F}, {"tr", 0x041F},
};

constexpr uint16_t kEnglishUs = 0x0409;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

}  // namespace

std::optional<uint16_t> LanguageOfLocale(const std::string& locale) {
  // "ll_CC.charset@modifier": the charset and modifier do not matter.
  std::string base = locale.substr(0, locale.find_first_of(".@"));
  if (base.empty() || base == "C" || base == "POSIX") return std::nullopt;
  std::string language = base.substr(0, base.find('_'));
  for (const LocaleLanguage& l : kLocaleLanguages) {
    if (base == l.name) return l.id;
  }
  for (const LocaleLanguage& l : kLocaleLanguages) {
    if (language == l.name) return l.id;
  }
  return std::nullopt;
}

std::optional<uint16_t> ParseLanguageId(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  unsigned long v = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v > 0xFFFF || text[0] == '-') {
    return std::nullopt;
  }
  return static_cast<uint16_t>(v);
}

std::optional<OsVersion> ParseOsVersion(const std::string& text) {
  OsVersion v;
  uint32_t* parts[] = {&v.major, &v.minor, &v.build};
  size_t count = 0, pos = 0;
  while (count < 3) {
    size_t dot = text.find('.', pos);
    std::string part = text.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos ||
        part.size() > 9) {
      return std::nullopt;
    }
    *parts[count++] = static_cast<uint32_t>(std::stoul(part));
    if (dot == std::string::npos) break;
    pos = dot + 1;
    if (count == 3) return std::nullopt;  // a fourth part
  }
  if (count < 2) return std::nullopt;
  return v;
}

uint16_t PosixSystem::DefaultLanguage() {
  if (auto id = ParseLanguageId(Env("ZEL_LANGID"))) return *id;
  // The first locale variable that is set decides, as it does for messages.
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string value = Env(var);
    if (value.empty()) continue;
    return LanguageOfLocale(value).value_or(kEnglishUs);
  }
  return kEnglishUs;
}

uint32_t PosixSystem::TickCount() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

OsVersion PosixSystem::Version() {
  if (auto v = ParseOsVersion(Env("ZEL_OSVERSION"))) return *v;
  return OsVersion{5, 1, 2600};
}

std::wstring PosixSystem::ComputerName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  // Like the system's computer name: the host part, in upper case.
  std::string host(name);
  host = host.substr(0, host.find('.'));
  return UpperWide(Utf8ToWide(host));
}

std::wstring PosixSystem::ModulePath() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  return Utf8ToWide(std::string(buf.data(), static_cast<size_t>(n)));
}

std::wstring PosixSystem::CurrentDirectory() {
  std::vector<char> buf(4096);
  if (getcwd(buf.data(), buf.size()) == nullptr) return {};
  return Utf8ToWide(buf.data());
}

bool PosixSystem::ChangeDirectory(const std::wstring& dir) {
  return chdir(WideToUtf8(dir).c_str()) == 0;
}

void PosixSystem::Sleep(uint32_t ms) {
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(ms / 1000);
  ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace zel::posix
