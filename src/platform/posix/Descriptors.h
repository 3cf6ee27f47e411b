#pragma once

#include <cerrno>
#include <cstdint>

namespace ferrolux {

// Raises this process's soft limit on open files to its hard limit, so that
// what a search sizes from the limit has all the room the system allows.
// Called at start-up, before any thread.
void raiseOpenFileLimit();

// The soft limit on open files, capped to what an int holds.
int openFileLimit();

// Descriptors open in this process now; -1 when they cannot be counted.
int openDescriptorCount();

// How many folders a search may hold open at once (for the files waiting to
// be searched in them, and for the walk's way back up): what the limit
// leaves after the descriptors open now, one file per thread and a margin
// for the rest of the program (a window's fonts, the settings store, an
// archive being extracted).
int folderDescriptorBudget(int threads);

// Whoever closes a descriptor that another thread may be waiting for (one of
// the search's files or folders) says so here.
void descriptorReturned();

// Waiting for a descriptor when the process has none left.
class DescriptorWait {
public:
    // How many descriptors were returned so far: taken before a try, so
    // that one returned during the try is not waited for in vain.
    static uint64_t returnsSoFar();

    // Waits until a descriptor was returned after `seen`, or a short while
    // (a descriptor closed elsewhere in the program is not announced).
    // False once nothing came back for a long while in all: then give up.
    bool untilReturned(uint64_t seen);

private:
    int64_t firstWaitMs_ = -1;
};

inline bool outOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE;
}

// Calls open() until it gives a descriptor or fails for another reason than
// the process or the system running out of descriptors; meanwhile it waits
// for descriptors to come back. -1 with errno set when it gives up.
template <typename Open>
int openWaitingForDescriptor(Open&& open) {
    DescriptorWait wait;
    for (;;) {
        const uint64_t seen = DescriptorWait::returnsSoFar();
        const int fd = open();
        if (fd >= 0 || !outOfDescriptors(errno)) return fd;
        const int error = errno;
        if (!wait.untilReturned(seen)) {
            errno = error;
            return -1;
        }
    }
}

} // namespace ferrolux
