// INI (profile) files, read with the rules of the system's profile functions.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace zel {

// Both forms mirror GetPrivateProfileString: the value (or `def` when the key
// is missing) is copied into `buf` of `size` characters, cut to size - 1 and
// terminated; the result is the number of characters copied. With key ==
// nullptr the key names of the section are copied instead, each terminated
// and the list ended by one more terminator (size - 2 is returned when the
// list does not fit). Sections and keys compare without regard to case; the
// first occurrence wins; blanks around a value and one pair of surrounding
// quotes are dropped. A missing file, section or key gives `def` (trailing
// spaces dropped; null is empty); so does the key-list form of a section
// without keys. A file starting with the UTF-16LE byte-order mark is read as
// UTF-16; any other file is 8-bit text in the system code page. The 8-bit
// form hands texts over in the system code page and cuts a multibyte text
// only at a whole character (the count is size - 1 all the same).
class ProfilePort {
 public:
  virtual ~ProfilePort() = default;
  virtual uint32_t GetStringW(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                              const wchar_t* def, wchar_t* buf, uint32_t size) = 0;
  virtual uint32_t GetStringA(const std::string& file, const char* section, const char* key,
                              const char* def, char* buf, uint32_t size) = 0;
  // GetPrivateProfileInt: a value that does not parse gives 0, a missing key `def`.
  virtual int32_t GetIntW(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                          int32_t def) = 0;
  virtual int32_t GetIntA(const std::string& file, const char* section, const char* key,
                          int32_t def) = 0;
  // The file-attribute check: true when the file's attributes can be read.
  virtual bool FileExistsW(const std::wstring& path) = 0;
  virtual bool FileExistsA(const std::string& path) = 0;

  // The reads of one text lookup, which reads its file several times, on
  // this thread: between the two calls a file may be taken as its first read
  // found it, so the lookup looks at the file once and sees one version of
  // it. A change shows from the next lookup on. Calls may nest. Ports that
  // read the file afresh every time need not do anything.
  virtual void BeginLookup() {}
  virtual void EndLookup() {}

  // Something that stands for the version of the file a lookup sees: the
  // same object for as long as the file stays as it is, another once it has
  // changed (or could have changed unseen), so that what a caller worked out
  // from the file may be kept beside it. Null where the port cannot tell.
  virtual std::shared_ptr<const void> FileVersionW(const std::wstring&) { return nullptr; }
  virtual std::shared_ptr<const void> FileVersionA(const std::string&) { return nullptr; }
};

// BeginLookup and EndLookup around a scope, on the current profile port.
class ProfileLookup {
 public:
  explicit ProfileLookup(ProfilePort* port) : port_(port) {
    if (port_) port_->BeginLookup();
  }
  ~ProfileLookup() {
    if (port_) port_->EndLookup();
  }
  ProfileLookup(const ProfileLookup&) = delete;
  ProfileLookup& operator=(const ProfileLookup&) = delete;

 private:
  ProfilePort* port_;
};

}  // namespace zel
