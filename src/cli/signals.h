// SIGINT as the stop button of a command-line run.
//
// The first interrupt sets the stop flag that the engine polls, so the run
// ends with " stopped" and its results so far are kept. A second interrupt
// ends the process at once with status 130. That, SIGTERM and SIGHUP remove
// the temporary files of writes in progress before the process ends.
#pragma once

#include <atomic>

namespace orv::cli {

// Installs the handler; it sets [*stop]. [stop] must outlive the process's
// use of the handler. [eraseLine] says that standard error is a terminal
// whose current line should be cleared before an immediate exit.
void installInterruptHandler(std::atomic<bool>* stop, bool eraseLine);

}  // namespace orv::cli
