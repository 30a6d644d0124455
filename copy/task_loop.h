// The worker's walk over the tasks of a copy run.
#pragma once
#include <cstdint>

#include "copy/copy_view.h"
#include "copy/run_state.h"
#include "copy/task_list.h"

namespace zel {

// Direction codes of a run in the two-button mode.
enum : uint8_t { kDirectionBackup = 1, kDirectionRestore = 2 };

// Runs every active task of the list in order. In the one-button mode each
// task's own direction bits decide; in the two-button mode `direction` does
// for every task. Ends after the task in which the stop flag was set.
void RunTaskLoop(TaskList& tasks, uint8_t buttonMode, uint8_t direction, RunState& state, CopyView& view);

}  // namespace zel
