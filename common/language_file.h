// The language string file (.mlf): which texts serve the system's language,
// and looking a text up by key.
//
// Section MULTI_LANG maps a primary language code ("%.2X" of the identifier's
// low 10 bits) to a group section. The group is in section form (keys "ALL",
// the identifier as "%.4X", "OTHER", each naming a string section of this
// file) or, when any of its keys contains ".FILE", in file form (the same keys
// followed by ".FILE", each "section,file" naming a string section of a
// further file beside this one). A language object is built for one lookup
// (or the few of one message) and then dropped: nothing is cached, so a
// changed file shows at the next lookup.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

// Status bits of a language object; none set when it is ready.
enum : uint32_t {
  kLanguageFileMissing = 0x01,
  kDefaultLanguageUnresolved = 0x02,
  kLanguageNotListed = 0x04,
  kNoEntryForLanguage = 0x08,
};

inline constexpr uint16_t kDefaultLanguageId = 0x0409;  // English (United States)

enum class LanguageForm : uint8_t { kNone = 0, kSection = 1, kFile = 2 };

// Where the texts of one language are.
template <class Ch>
struct LanguageEntry {
  LanguageForm form = LanguageForm::kNone;
  std::basic_string<Ch> group;    // the group section named in MULTI_LANG
  std::basic_string<Ch> section;  // the string section
  std::basic_string<Ch> file;     // file form: directory + the further file's name
};

// The language object; Ch is wchar_t for the copy utility and char for the
// security and power tools.
template <class Ch>
struct LanguageFile {
  using String = std::basic_string<Ch>;

  String path;                 // the language string file
  String directory;            // its directory, ending with the separator
  uint16_t systemLanguage = 0;   // replaced by the default when unresolvable
  uint16_t defaultLanguage = 0;  // 0x0409, or 0 when unresolvable
  bool fellBack = false;         // the system language took the default's texts
  uint32_t status = 0;
  LanguageEntry<Ch> defaultEntry;
  LanguageEntry<Ch> systemEntry;

  // Resolves the default and the system language (the system port's default
  // language) in the file at `path`. Never fails: problems end up in status.
  static LanguageFile Open(const String& path);

  // The text of `key` for the system language. True with the text when the
  // key is present with a value of at most 2046 characters; false (and an
  // empty text) otherwise, when the caller shows its own default.
  bool Lookup(const Ch* key, String& text) const;
};

extern template struct LanguageFile<wchar_t>;
extern template struct LanguageFile<char>;

}  // namespace zel
