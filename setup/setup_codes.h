// Result codes of the setup libraries: 0 is success, -1 means the running
// program would not close, and the rest name the step that failed. The
// installer sees them as the exports' signed 32-bit results.
#pragma once
#include <cstdint>

namespace zel::setup {

using Result = int32_t;

constexpr Result Code(uint32_t bits) { return static_cast<Result>(bits); }

inline constexpr Result kOk = 0;
inline constexpr Result kStillRunning = -1;                    // no close after 1000 attempts
inline constexpr Result kNoSuchDirectory = Code(0xE602F000);   // directory to remove is missing
inline constexpr Result kUnsafeTarget = Code(0xE602F0FF);      // TargetPath would leave Program Files
inline constexpr Result kPathTooLong = Code(0xE604FF01);       // a path does not fit 260 characters
inline constexpr Result kNoSpecialFolder = Code(0xE605F005);   // folder unknown, no fallback
inline constexpr Result kMakeDirFailed = Code(0xE605F010);     // a directory could not be created
inline constexpr Result kNothingToCopy = Code(0xE606F000);
inline constexpr Result kCopyFailed = Code(0xE606F001);        // a file could not be copied
inline constexpr Result kUnknownCopyMode = Code(0xE606F002);
inline constexpr Result kEmptyNameList = Code(0xE606F003);
inline constexpr Result kNothingMatched = Code(0xE6060002);    // a name or pattern matched nothing
inline constexpr Result kTargetDirFailed = Code(0xE606F010);   // copy target could not be created
inline constexpr Result kNoLinkObject = Code(0xE607F020);      // uninstall shortcut only
inline constexpr Result kNoLinkFile = Code(0xE607F021);        // uninstall shortcut only
inline constexpr Result kLinkSetFailed = Code(0xE607F022);
inline constexpr Result kLinkSaveFailed = Code(0xE607F023);

// Paths are held in buffers of this many characters, terminator included.
inline constexpr size_t kPathChars = 260;

}  // namespace zel::setup
