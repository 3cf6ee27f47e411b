#include "platform/posix/Descriptors.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <dirent.h>
#include <mutex>
#include <sys/resource.h>

namespace ferrolux {
namespace {

// Folders held open beyond this bring nothing: the files waiting to be
// searched are far fewer, and a walk needs one per level it comes back to.
constexpr int kMostFolders = 1024;
// Left for the rest of the program, beside a sixteenth of the limit.
constexpr int kMargin = 16;
// How long a search waits for a descriptor when none at all comes back.
constexpr int64_t kPatienceMs = 5000;
constexpr auto kRetryAfter = std::chrono::milliseconds(20);

std::atomic<uint64_t> returns{0};
std::atomic<int> waiters{0};
std::mutex returnMutex;
std::condition_variable returned;

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void raiseOpenFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit); // refused (an unlimited hard limit): the soft one stays
}

int openFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
    return limit.rlim_cur == RLIM_INFINITY ? INT_MAX
                                           : int(std::min<rlim_t>(limit.rlim_cur, INT_MAX));
}

int openDescriptorCount() {
    DIR* listing = ::opendir("/proc/self/fd");
    if (!listing) return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(listing))
        if (entry->d_name[0] != '.') ++count;
    ::closedir(listing);
    return count - 1; // the listing's own
}

int folderDescriptorBudget(int threads) {
    const int limit = openFileLimit();
    const int open = openDescriptorCount();
    const int64_t left = int64_t(limit) - (open >= 0 ? open : 3 * kMargin) - std::max(threads, 1) -
                         kMargin - limit / 16;
    return int(std::clamp<int64_t>(left, 0, kMostFolders));
}

void descriptorReturned() {
    returns.fetch_add(1);
    if (waiters.load() > 0) {
        const std::lock_guard lock(returnMutex);
        returned.notify_all();
    }
}

uint64_t DescriptorWait::returnsSoFar() {
    return returns.load();
}

bool DescriptorWait::untilReturned(uint64_t seen) {
    const int64_t now = nowMs();
    if (firstWaitMs_ < 0)
        firstWaitMs_ = now;
    else if (now - firstWaitMs_ > kPatienceMs)
        return false;
    std::unique_lock lock(returnMutex);
    ++waiters;
    returned.wait_for(lock, kRetryAfter, [&] { return returns.load() != seen; });
    --waiters;
    if (returns.load() != seen) firstWaitMs_ = -1; // progress: patience starts again
    return true;
}

} // namespace ferrolux
