// The result codes that cross the ports: system error codes (0 is success)
// and the device manager's configuration results. Every adapter answers with
// these numbers, whatever its own system reports, and the rules compare
// against them by name.
#pragma once
#include <cstdint>

namespace zel {

enum : long {
  kErrorSuccess = 0,
  kErrorInvalidFunction = 1,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorNoMoreFiles = 18,
  kErrorNotReady = 21,
  kErrorSectorNotFound = 27,
  kErrorWriteFault = 29,
  kErrorSharingViolation = 32,
  kErrorHandleDiskFull = 39,
  kErrorNotSupported = 50,
  kErrorDeviceNotExist = 55,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInsufficientBuffer = 122,
  kErrorAlreadyExists = 183,
  kErrorMoreData = 234,
  kErrorDirectory = 267,
  kErrorIoDevice = 1117,
};

// Configuration manager results of the device tree.
enum : uint32_t {
  kCrSuccess = 0,
  kCrInvalidDevnode = 5,
  kCrNoSuchDevnode = 13,
  kCrFailure = 0x13,
};

}  // namespace zel
