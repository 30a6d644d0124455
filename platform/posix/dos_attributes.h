// The system's file attributes of a host file: read-only from the write
// permission bits, hidden, system and archive from "user.DOSATTRIB".
#pragma once
#include <sys/stat.h>

#include <cstdint>

namespace zel {

// Attributes of an open file or of a path, with its stat data.
uint32_t DosAttributesOf(int fd, const struct stat& st);
uint32_t DosAttributesAt(const char* path, const struct stat& st);
// The attributes the stat data alone tell: all but hidden and system.
uint32_t DosAttributesOfMode(const struct stat& st);

// Applies `attributes` to the path: 0 or a system error code (50 when the
// host file system keeps no extended attributes and hidden or system were asked for).
long SetDosAttributes(const char* path, uint32_t attributes);

// Copies the stored attribute text from one open file to another, if any.
void CopyDosAttributes(int fromFd, int toFd);

}  // namespace zel
