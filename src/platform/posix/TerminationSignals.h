#pragma once

namespace ferrolux {

// When SIGTERM (a logout), SIGINT or SIGHUP arrives, runs `cleanup` and then
// ends the process by that signal, as it would have ended without it. The
// handler only writes to a pipe; `cleanup` runs on a thread of its own, so
// it may take locks and allocate. Installed once; later calls do nothing.
void runOnTerminationSignals(void (*cleanup)());

} // namespace ferrolux
