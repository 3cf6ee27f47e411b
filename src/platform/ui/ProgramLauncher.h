#pragma once

#include "platform/ui/Shell.h"

namespace ferrolux {

// Starts a program in a session of its own, so that it outlives Ferrolux and
// the terminal Ferrolux may run in, and watches it from the event loop until
// it ends. failed is called at once when it cannot start, and, from the event
// loop once the watch is over, when it ends with a non-zero exit status or a
// crash.
void launchWatched(const std::vector<std::string>& command, LaunchFailed failed);

} // namespace ferrolux
