// Path rules of the setup libraries: which TargetPath may be installed to and
// removed, how paths are joined within their 260-character buffers, and which
// directory an autostart command names.
#pragma once
#include <string>

#include "setup/setup_codes.h"

namespace zel::setup {

// A TargetPath names a directory below Program Files (and a folder below the
// Programs menu). kOk only for a relative path of plain names: not empty, no
// drive ("C:x" or "C:\x"), no leading separator, no "." or ".." (nor a name
// that the system would read as one, such as ". " or "..."), no character
// that a file name cannot hold. One trailing separator is allowed.
Result CheckTargetPath(const std::wstring& targetPath);

// `base` + "\" + `name` (no second separator when `base` ends with one) into
// `out`; kPathTooLong when the result would not fit kPathChars with its
// terminator. `out` is left as it was then.
Result JoinPath(const std::wstring& base, const std::wstring& name, std::wstring& out);

// The Program Files path: the system's folder followed by "\", or, when the
// system cannot name it, the drive root of the Windows directory followed by
// "Program Files\".
std::wstring ProgramFilesPath(const std::wstring& systemFolder, const std::wstring& windowsDirectory);

// The directory an autostart command names: cut at its last "\", with a
// leading double quote dropped. Empty when the command holds no "\".
std::wstring DirectoryOfCommand(const std::wstring& command);

// True when `inner` is `outer` itself or lies below it (compared without
// regard to case, "/" read as "\", trailing separators ignored).
bool IsSameOrBelow(const std::wstring& inner, const std::wstring& outer);

}  // namespace zel::setup
