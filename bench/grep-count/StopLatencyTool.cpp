// Times how long the engine takes to end after Stop on the inputs that make
// it slowest: patterns that defeat RE2's DFA, many whole-word alternatives,
// over one long line (searched whole, or in windows past the largest
// buffer) and over a window of text held in memory. Each case is stopped a
// while after its text is in the engine's hands, when it is deep inside one
// matcher, and the time from Stop to the end is printed.
//
// Usage: ferrolux-stop-latency [DELAY_MS [CASE]]
//   DELAY_MS  when Stop is raised (default 300)
//   CASE      only the pattern whose label holds this text
#include "SlowPatterns.h"
#include "engine/MemoryMatches.h"
#include "engine/Searcher.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

using namespace ferrolux;
using namespace ferrolux::engine;
using Clock = std::chrono::steady_clock;

namespace {

// Gives its text, and tells when the engine holds the part to be searched
// first: the first `announceAt` bytes.
class GivingSource : public ByteSource {
public:
    GivingSource(const std::string& text, size_t announceAt, std::promise<void>& given)
        : text_(text), announceAt_(announceAt), given_(given) {}
    size_t read(char* into, size_t size) override {
        const size_t n = std::min(size, text_.size() - at_);
        std::copy_n(text_.data() + at_, n, into);
        at_ += n;
        if (at_ >= announceAt_ && !told_) {
            told_ = true;
            given_.set_value();
        }
        return n;
    }

private:
    const std::string& text_;
    size_t announceAt_;
    std::promise<void>& given_;
    size_t at_ = 0;
    bool told_ = false;
};

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs `search` on a thread, raises Stop `delay` after `ready` and prints
// how long the search took to end after it.
template <class Search>
void timeStop(const char* label, std::chrono::milliseconds delay, std::future<void> ready,
              std::atomic<bool>& cancel, Search search) {
    auto done = std::async(std::launch::async, std::move(search));
    ready.wait();
    if (done.wait_for(delay) == std::future_status::ready) {
        std::printf("  %-58s ended before Stop\n", label);
        return;
    }
    const auto stopped = Clock::now();
    cancel = true;
    done.wait();
    std::printf("  %-58s %8.1f ms after Stop\n", label, millisecondsSince(stopped));
}

} // namespace

int main(int argc, char** argv) {
    const std::chrono::milliseconds delay(argc > 1 ? std::atoi(argv[1]) : 300);
    const size_t lineBytes = GrepLimits{}.maxLineBuffer - (1 << 20);
    const size_t windowedBytes = GrepLimits{}.maxLineBuffer + (1 << 20);
    const struct {
        const char* what;
        std::string pattern;
        const char* alphabet;
    } cases[] = {
        {"[ab]*a[ab]x20[^ab] (DFA gives up)", test::dfaDefeating(), "ab"},
        {"a- x5000 [^a] (DFA too large)", test::manyOptionalLetters(), "a"},
        {"500 alternatives \\<[a-z]*xyz[a-z]*\\>", test::manyWordAlternatives(),
         "abcdefghijklmnopqrstuvwxyz"},
    };
    std::printf("Time from Stop to the end of the search (Stop raised %lld ms into it)\n",
                static_cast<long long>(delay.count()));
    const std::string only = argc > 2 ? argv[2] : "";
    for (const auto& c : cases) {
        if (std::string_view(c.what).find(only) == std::string_view::npos) continue;
        std::printf("%s\n", c.what);
        std::string error;
        const PatternHandle lines = compileForLines(c.pattern, true, error);
        const PatternHandle memory = compileForMemory(c.pattern, true, error);
        if (!lines || !memory) {
            std::printf("  refused: %s\n", error.c_str());
            continue;
        }
        for (const size_t size : {lineBytes, windowedBytes}) {
            const std::string text = test::randomText(size, c.alphabet, 5) + "\n";
            std::promise<void> given;
            std::atomic<bool> cancel{false};
            Searcher searcher;
            auto source = std::make_unique<GivingSource>(
                text, std::min(text.size(), GrepLimits{}.maxLineBuffer), given);
            timeStop(size == lineBytes ? "one long line" : "one line in windows", delay,
                     given.get_future(), cancel, [&, source = std::move(source)]() mutable {
                         return searcher.countLines(lines, std::move(source), &cancel);
                     });
        }
        const std::string window = test::randomText(size_t(1) << 20, c.alphabet, 6);
        std::promise<void> started;
        std::atomic<bool> cancel{false};
        timeStop("1 MiB held in memory", delay, started.get_future(), cancel, [&] {
            MemoryMatches matches(*memory, &cancel);
            started.set_value();
            return matches.next(window, 0, window.size());
        });
    }
}
