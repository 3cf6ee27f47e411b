// ferrolux-grep-count: counts matches with the engine, for spot checks of
// speed and memory outside the unit tests.
//
//   ferrolux-grep-count [-i] [-b] PATTERN FILE...
//
// Prints each file's count (matching lines; with -b the binary count with
// MaxMatchLen 300), the total, the bytes read per second, the time the
// pattern took to compile and the peak resident memory. -i searches without
// regard to case. To measure the peak memory of counting a huge file:
//
//   truncate -s 4G /tmp/huge && ferrolux-grep-count x /tmp/huge
//   truncate -s 4G /tmp/huge && ferrolux-grep-count -b x /tmp/huge
#include "search/BinaryScan.h"
#include "search/GrepEngine.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

int main(int argc, char** argv) {
    int caseFlag = ferrolux::GrepTrue;
    bool binary = false;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "-i") == 0)
            caseFlag = ferrolux::GrepFalse;
        else if (std::strcmp(argv[arg], "-b") == 0)
            binary = true;
    }
    if (argc - arg < 2) {
        std::fprintf(stderr, "usage: %s [-i] [-b] PATTERN FILE...\n", argv[0]);
        return 2;
    }
    const std::string pattern = argv[arg++];
    ferrolux::GrepEngine engine;
    const auto compiling = std::chrono::steady_clock::now();
    if (engine.SCompileRGrep(pattern, caseFlag) != 0) {
        std::fprintf(stderr, "%s\n", engine.lastError().c_str());
        return 2;
    }
    const double compileSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - compiling).count();
    long long total = 0;
    double bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (; arg < argc; ++arg) {
        struct stat st {};
        if (::stat(argv[arg], &st) == 0) bytes += static_cast<double>(st.st_size);
        int64_t count;
        if (binary) {
            count = ferrolux::countBinaryMatches(engine, std::string(argv[arg]), pattern, caseFlag,
                                                 300, nullptr);
        } else {
            engine.SCompileRGrep(pattern, caseFlag);
            engine.SFileSetFlags(0, 0, 0, -1, 0, -1);
            engine.SFileOpen(argv[arg]);
            while (engine.SFileRGrep()) {
            }
            count = engine.SFileClose();
        }
        total += count;
        std::printf("%lld %s\n", static_cast<long long>(count), argv[arg]);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("total %lld, %.0f MB in %.3f s (%.0f MB/s), compiled in %.3f s, peak RSS %ld KiB\n",
                total, bytes / 1e6, seconds, bytes / 1e6 / seconds, compileSeconds,
                usage.ru_maxrss);
    return 0;
}
