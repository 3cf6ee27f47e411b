// Stop reaches the matchers while they work on one stretch of text: raised
// from another thread once the text is in the engine's hands, the search
// ends at once. Each case runs for minutes when Stop is not looked at.
#include "SlowPatterns.h"
#include "engine/MemoryMatches.h"
#include "engine/Searcher.h"

#include <chrono>
#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace ferrolux::engine {
namespace {

// Gives its text and tells when it has given `announceAfter` bytes.
class AnnouncingSource : public ByteSource {
public:
    AnnouncingSource(std::string text, size_t announceAfter)
        : text_(std::move(text)), announceAfter_(announceAfter) {}

    size_t read(char* into, size_t size) override {
        const size_t n = std::min(size, text_.size() - given_);
        std::copy_n(text_.data() + given_, n, into);
        given_ += n;
        if (given_ >= announceAfter_) {
            std::lock_guard lock(mutex_);
            announced_ = true;
            changed_.notify_all();
        }
        return n;
    }

    void waitForAnnouncement() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return announced_; });
    }

private:
    std::string text_;
    size_t announceAfter_;
    size_t given_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool announced_ = false;
};

std::string randomLetters(size_t size, unsigned seed) {
    return test::randomText(size, "abcdefghijklmnopqrstuvwxyz", seed);
}

// Raises Stop once the search has run a moment, deep inside the matcher
// (every case runs for minutes unheeded), and tells whether it then ended
// promptly and without a result.
template <class Result>
void expectStopEnds(std::future<std::optional<Result>>& search, std::atomic<bool>& cancel) {
    ASSERT_EQ(search.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout)
        << "the search ended before Stop";
    cancel = true;
    // Generous: a search that does not see Stop runs for minutes.
    ASSERT_EQ(search.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(search.get().has_value()) << "the search ended without seeing Stop";
}

TEST(Stop, EndsACountInsideTheMatchersOfEachSlowPath) {
    const struct {
        const char* what;
        std::string pattern;
        std::string line; // longer than the largest buffer: searched in windows
    } patterns[] = {
        {"whole words", test::manyWordAlternatives(),
         randomLetters(GrepLimits{}.maxLineBuffer + (1 << 20), 5)},
        {"optional letters", test::manyOptionalLetters(),
         std::string(GrepLimits{}.maxLineBuffer + (1 << 20), 'a')},
    };
    for (const auto& p : patterns) {
        const std::string line = p.line.substr(0, GrepLimits{}.maxLineBuffer - (1 << 20));
        const struct {
            const char* what;
            std::string text;
            size_t announceAfter; // then the text to search is in the engine's buffer
        } cases[] = {
            {"one long line", line + "\n", line.size()},
            {"one line in windows", p.line + "\n", GrepLimits{}.maxLineBuffer},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(p.what) + ", " + c.what);
            std::string error;
            const PatternHandle pattern = compileForLines(p.pattern, true, error);
            ASSERT_TRUE(pattern) << error;
            auto source = std::make_unique<AnnouncingSource>(c.text, c.announceAfter);
            AnnouncingSource& announcing = *source;
            std::atomic<bool> cancel{false};
            Searcher searcher;
            auto count = std::async(std::launch::async, [&] {
                return searcher.countLines(pattern, std::move(source), &cancel);
            });
            announcing.waitForAnnouncement();
            expectStopEnds(count, cancel);
        }
    }
}

TEST(Stop, EndsASearchOfTextHeldInMemory) {
    // Over one word as long as a window of the binary scan, the match
    // attempt of whole words runs to the text's end; optional letters make
    // RE2 crawl through the text.
    const struct {
        const char* what;
        std::string pattern;
        std::string text;
    } cases[] = {
        {"whole words", test::manyWordAlternatives(), randomLetters(size_t(1) << 20, 6)},
        {"optional letters", test::manyOptionalLetters(), std::string(size_t(8) << 20, 'a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        const PatternHandle pattern = compileForMemory(c.pattern, true, error);
        ASSERT_TRUE(pattern) << error;
        std::atomic<bool> cancel{false};
        std::promise<void> started;
        auto match = std::async(std::launch::async, [&] {
            MemoryMatches matches(*pattern, &cancel);
            started.set_value();
            return matches.next(c.text, 0, c.text.size());
        });
        started.get_future().wait();
        expectStopEnds(match, cancel);
    }
}

} // namespace
} // namespace ferrolux::engine
