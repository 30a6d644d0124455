#include "common/language_file.h"

#include <vector>

#include "common/profile_chars.h"
#include "common/profile_read.h"

namespace zel {
namespace {

template <class Ch>
using Str = std::basic_string<Ch>;

// Resolves language `id` to its group, form and entry value. On failure the
// reason is added to `status`.
template <class Ch>
bool Resolve(const Str<Ch>& path, uint16_t id, LanguageEntry<Ch>& entry, Str<Ch>& value,
             uint32_t& status) {
  using C = ProfileChars<Ch>;
  const Str<Ch> multiLang = C::FromAscii("MULTI_LANG");
  const Str<Ch> code = FormatAscii<Ch>("%.2X", static_cast<unsigned>(id & 0x3FF));

  bool listed = false;
  for (const Str<Ch>& k : ReadSectionKeys<Ch>(path, multiLang.c_str())) {
    if (C::EqualsNoCase(k, code)) {
      listed = true;
      break;
    }
  }
  if (!listed) {
    status |= kLanguageNotListed;
    return false;
  }
  if (ReadProfileString<Ch>(path, multiLang.c_str(), code.c_str(), entry.group) != kProfileFound) {
    status |= kNoEntryForLanguage;
    entry = {};
    return false;
  }

  std::vector<Str<Ch>> keys = ReadSectionKeys<Ch>(path, entry.group.c_str());
  entry.form = LanguageForm::kSection;
  for (const Str<Ch>& k : keys) {
    if (C::Upper(k).find(C::FromAscii(".FILE")) != Str<Ch>::npos) {
      entry.form = LanguageForm::kFile;
      break;
    }
  }
  const Str<Ch> suffix = C::FromAscii(entry.form == LanguageForm::kFile ? ".FILE" : "");
  const Str<Ch> candidates[] = {C::FromAscii("ALL") + suffix,
                                FormatAscii<Ch>("%.4X", static_cast<unsigned>(id)) + suffix,
                                C::FromAscii("OTHER") + suffix};
  for (const Str<Ch>& wanted : candidates) {
    for (const Str<Ch>& k : keys) {
      if (C::EqualsNoCase(k, wanted)) {
        // The entry value is taken as it comes, even when cut.
        ReadProfileString<Ch>(path, entry.group.c_str(), wanted.c_str(), value);
        return true;
      }
    }
  }
  status |= kNoEntryForLanguage;
  entry = {};
  return false;
}

// Fills section (and, in file form, file) from a resolved entry value.
template <class Ch>
void PlaceEntry(LanguageEntry<Ch>& entry, const Str<Ch>& value, const Str<Ch>& directory) {
  if (entry.form != LanguageForm::kFile) {
    entry.section = value;
    return;
  }
  size_t comma = value.find(Ch(','));
  if (comma == Str<Ch>::npos) {
    entry.section.clear();
    entry.file = directory + value;
  } else {
    entry.section = value.substr(0, comma);
    entry.file = directory + value.substr(comma + 1);
  }
}

}  // namespace

template <class Ch>
LanguageFile<Ch> LanguageFile<Ch>::Open(const String& path) {
  LanguageFile f;
  f.path = path;
  f.defaultLanguage = kDefaultLanguageId;
  f.systemLanguage = Ports().system ? Ports().system->DefaultLanguage() : kDefaultLanguageId;
  size_t cut = path.find_last_of(ProfileChars<Ch>::FromAscii("\\/"));
  f.directory = cut == String::npos ? String() : path.substr(0, cut + 1);

  ProfilePort* port = Ports().profile;
  if (port == nullptr || !ProfileChars<Ch>::Exists(*port, path)) {
    f.status |= kLanguageFileMissing;
    return f;
  }

  String value;
  const bool systemIsDefault = f.systemLanguage == f.defaultLanguage;
  const bool defaultResolved = Resolve<Ch>(path, f.defaultLanguage, f.defaultEntry, value, f.status);
  if (defaultResolved) {
    PlaceEntry(f.defaultEntry, value, f.directory);
  } else {
    f.status |= kDefaultLanguageUnresolved;
    f.defaultLanguage = 0;
  }
  // A system whose language is the default one resolves to the same entry.
  if (systemIsDefault && defaultResolved) {
    f.systemEntry = f.defaultEntry;
  } else if (!systemIsDefault && Resolve<Ch>(path, f.systemLanguage, f.systemEntry, value, f.status)) {
    PlaceEntry(f.systemEntry, value, f.directory);
  } else {
    f.fellBack = true;
    f.systemLanguage = f.defaultLanguage;
    f.systemEntry = f.defaultEntry;
  }
  return f;
}

template <class Ch>
bool LanguageFile<Ch>::Lookup(const Ch* key, String& text) const {
  text.clear();
  if (status & kLanguageFileMissing) return false;
  if ((status & kDefaultLanguageUnresolved) && fellBack) return false;
  const String& file = systemEntry.form == LanguageForm::kFile ? systemEntry.file : path;
  if (ReadProfileString<Ch>(file, systemEntry.section.c_str(), key, text) == kProfileFound) {
    return true;
  }
  text.clear();
  return false;
}

template struct LanguageFile<wchar_t>;
template struct LanguageFile<char>;

}  // namespace zel
