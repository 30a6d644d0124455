#include "platform/posix/posix_errors.h"

#include <cerrno>

#include "ports/file_system_port.h"

namespace zel {

long SystemErrorFromErrno(int err) {
  switch (err) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case ENOTSUP: return kErrorNotSupported;
    case ENAMETOOLONG: return 206;  // the file name or extension is too long
    case ENOTEMPTY: return 145;     // the directory is not empty
    case EIO: return kErrorIoDevice;
    default: return 31;             // a device attached to the system is not functioning
  }
}

}  // namespace zel
