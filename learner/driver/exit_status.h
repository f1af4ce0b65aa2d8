#pragma once

namespace hn {

// hn_learner's exit statuses besides 0 for success.
// A file or the data could not be read or written, or the model not saved.
inline constexpr int kFailureStatus = 1;
// The run was refused before anything was trained or written: a wrong
// argument, a bad run-script value, a file that would replace another.
inline constexpr int kRefusedStatus = 2;

}  // namespace hn
