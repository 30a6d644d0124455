// Host errors in the system's numbering, so that the portable rules see the
// same codes on every build.
#pragma once

namespace zel {

long SystemErrorFromErrno(int err);

}  // namespace zel
