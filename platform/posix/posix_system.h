// The system port on POSIX systems.
//
// The system default language is taken from ZEL_LANGID when it is set (a
// language identifier such as 0x0404 or 1028), else from the locale
// environment (LC_ALL, then LC_MESSAGES, then LANG: zh_TW gives 0x0404),
// else 0x0409. The version is reported as NT 5.1 (build 2600) unless
// ZEL_OSVERSION=major.minor[.build] says otherwise, so that the programs'
// system checks can be exercised.
#pragma once
#include <optional>
#include <string>

#include "ports/system_port.h"

namespace zel::posix {

class PosixSystem final : public SystemPort {
 public:
  uint16_t DefaultLanguage() override;
  uint32_t TickCount() override;
  OsVersion Version() override;
  std::wstring ComputerName() override;
  std::wstring ModulePath() override;
  std::wstring CurrentDirectory() override;
  bool ChangeDirectory(const std::wstring& dir) override;
  void Sleep(uint32_t ms) override;
};

// The language identifier of a locale name such as "zh_TW.UTF-8" or "de";
// nothing for "C", "POSIX", empty or unknown names.
std::optional<uint16_t> LanguageOfLocale(const std::string& locale);

// A language identifier written as hexadecimal with 0x or as decimal;
// nothing when the text is not such a number or does not fit 16 bits.
std::optional<uint16_t> ParseLanguageId(const std::string& text);

// "major.minor" or "major.minor.build"; nothing when malformed.
std::optional<OsVersion> ParseOsVersion(const std::string& text);

}  // namespace zel::posix
