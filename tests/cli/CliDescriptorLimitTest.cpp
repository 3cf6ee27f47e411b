// A search under a low limit on open files still searches every file.
#include "RunProgram.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

using namespace ferrolux::test;

namespace {

// Environment for one child: set on construction, put back afterwards.
class ScopedEnvironment {
public:
    void set(const char* name, const std::string& value) {
        const char* before = std::getenv(name);
        saved_.push_back({name, before ? std::optional<std::string>(before) : std::nullopt});
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? ::setenv(it->first, it->second->c_str(), 1) : ::unsetenv(it->first);
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// 600 folders of one file each, and a branch 40 levels deep where every
// level holds a file and a leaf folder walked after the deeper one: the walk
// keeps each level for its leaf while it is below.
constexpr int kFiles = 600 + 2 * 40;

void makeTree(const TempDir& dir) {
    for (int i = 0; i < 600; ++i)
        dir.write("wide/d" + std::to_string(i) + "/f.txt", "needle\n");
    std::string level = "branch/";
    for (int depth = 0; depth < 40; ++depth) {
        dir.write(level + "f.txt", "needle\n");
        dir.write(level + "leaf/f.txt", "needle\n");
        level += "deeper/";
    }
}

size_t countLines(const std::string& text) {
    size_t count = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        ++count;
    return count;
}

} // namespace

TEST(CliDescriptorLimit, EveryFileIsSearchedUnderALowLimit) {
    TempDir dir;
    makeTree(dir);
    ScopedEnvironment environment;
    // Slow reads keep the searching threads behind the walk, so that many
    // files wait, each in its own folder.
    environment.set("LD_PRELOAD", BLOCKING_READ_SHIM);
    environment.set("FERROLUX_TEST_SLOW_READ_US", "300");
    const char* asan = std::getenv("ASAN_OPTIONS");
    environment.set("ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0");

    const struct {
        OpenFileLimit limit;
        const char* threads;
    } cases[] = {
        {{64, 64}, "1"},   {{64, 64}, "8"}, {{128, 128}, "1"},
        {{128, 128}, "8"}, {{12, 12}, "8"}, // fewer than the threads need at once: they wait for
                                            // each other
        {{64, 0}, "8"}, // a soft limit of 64 under the hard one: raised at start
    };
    for (const auto& c : cases) {
        OpenFileLimit limit = c.limit;
        if (limit.hard == 0) limit.hard = 4096;
        const ProgramResult r =
            runProgram(FERROLUX_SEARCH_EXE,
                       {"-r", "--verbose", "-j", c.threads, "needle", dir.path()}, {}, limit);
        const std::string label = "limit " + std::to_string(c.limit.soft) + "/" +
                                  std::to_string(limit.hard) + " -j " + c.threads;
        EXPECT_EQ(r.exitCode, 0) << label << "\n" << r.err;
        EXPECT_EQ(countLines(r.out), size_t(kFiles)) << label << "\n" << r.err;
        const std::string summary = " Found " + std::to_string(kFiles) + " matches in " +
                                    std::to_string(kFiles) + " files of " + std::to_string(kFiles) +
                                    " searched";
        EXPECT_EQ(r.err.rfind(summary, 0), 0u) << label << "\n" << r.err;
    }
}
