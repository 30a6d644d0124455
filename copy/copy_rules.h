// The rules by which one directory is copied to another.
#pragma once
#include <cstdint>
#include <string>

#include "copy/copy_view.h"
#include "copy/run_state.h"

namespace zel {

// The counting pass: the files below `path` (only its own unless the task
// copies subdirectories); their sizes are added to the task's byte total.
// The directory `keepOut` (the run's destination) is not entered when it lies
// below `path`. Partial files of a copy are not counted.
uint32_t CountFiles(const std::wstring& path, uint16_t taskFlags, RunState& state,
                    const std::wstring& keepOut = std::wstring());

// Copies the files of `from` to `to` under the task's option bits, asking
// before it creates a missing target, and stops before the next file once the
// run's stop flag is set (a full target disk sets it). When `to` lies inside
// `from` it is not walked as part of `from`. A directory it makes is filled
// under a partial name and takes its own name once filled (or once the run
// stops). Partial files and directories that an earlier run left in a target
// directory are removed and never copied. A file whose copy fails is counted
// and shown to the view.
void CopyDirectory(const std::wstring& from, const std::wstring& to, uint16_t taskFlags, RunState& state,
                   CopyView& view);

// Creates a directory and every missing parent. Non-zero when the last
// directory was created, or when the path is a bare drive.
int CreatePath(const std::wstring& path);

}  // namespace zel
