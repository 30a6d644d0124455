// Texts of a copy run's end.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

// The size of the summary: a whole number of bytes below 1000, otherwise
// K, M, G or T with one decimal ("%4.1fK "), each unit 1024 times the one
// before but reached from 1000 of it. Always ends with a space.
std::wstring FormatSize(int64_t bytes);

// "The copy tasks are completed!" (or cancelled), the number of files and the
// size, and a line with the number of files that could not be copied when
// there are any.
std::wstring SummaryText(bool stopped, uint32_t filesCopied, uint64_t bytesCopied, uint32_t filesNotCopied = 0);

// The message box style of the summary: topmost, a warning when stopped.
uint32_t SummaryStyle(bool stopped);

}  // namespace zel
