// Exit statuses of the command line.
#pragma once

namespace orv::cli {

inline constexpr int kExitOk = 0;  // the run succeeded (also "stopped", "? y?")
inline constexpr int kExitRunFailed =
    1;                                // the run failed at a fault position; check: a result moved
inline constexpr int kExitUsage = 2;  // usage errors, unreadable or unwritable files

}  // namespace orv::cli
