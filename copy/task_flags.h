// The option bits of a copy task and their letters, the textual form used in
// the task dialogs' "Attribute" column and wherever a task travels as three
// strings (source, destination, letters).
#pragma once
#include <cstdint>
#include <string>

namespace zel {

enum : uint16_t {
  kTaskActive = 0x01,       // A: takes part in a copy run
  kTaskSubdirs = 0x02,      // S: the whole tree, not only the top directory
  kTaskOverwrite = 0x04,    // O: read-only or hidden destination files are replaced
  kTaskNewer = 0x08,        // N: only files newer than the destination copy
  kTaskBackup = 0x10,       // B: source to destination
  kTaskRestore = 0x20,      // R: destination to source
  kTaskSynchronise = 0x40,  // Y: both ways
};

// Button modes of config.ini [Config] Button: 2 is the two-button enclosure,
// every other value the one-button enclosure.
enum : uint8_t { kButtonModeOne = 1, kButtonModeTwo = 2 };
uint8_t ButtonModeFromConfig(int32_t value);

// Each upper-case letter of "ASONBRY" sets its bit; every other character is
// ignored, so "asb" gives 0.
uint16_t LettersToFlags(const std::wstring& letters);

// "A", "S", "O", "N" as set, then "B", "R", "Y" only in the one-button mode,
// where each task carries its own direction. At most seven letters.
std::wstring FlagsToLetters(uint16_t flags, uint8_t buttonMode);

// The letters a new task starts with in the task dialogs.
inline constexpr const wchar_t* kNewTaskLetters = L"ASB";

}  // namespace zel
