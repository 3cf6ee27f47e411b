// ferrolux-walk-bench: times the directory walk of a search without reading
// any file, so that the cost of listing and ordering names stands out.
//
//   ferrolux-walk-bench DIRECTORY [RUNS] [MASK]
//
// Walks DIRECTORY with its subdirectories RUNS times (default 5) with MASK
// (default "*.*"), and prints the files and directories reported, the fastest
// and the median time of one walk.
#include "search/TTreeScanner.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the system locale, as the program has it
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY [RUNS] [MASK]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    ferrolux::TTreeScanner scanner;
    long files = 0, directories = 0;
    scanner.OnFileFound = [&](ferrolux::TTreeScanner&) { ++files; };
    scanner.OnDirectoryFound = [&](ferrolux::TTreeScanner&) { ++directories; };
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        files = directories = 0;
        scanner.setInitialDirectory(argv[1]);
        scanner.setFileMask(argc > 3 ? argv[3] : "*.*");
        const auto start = std::chrono::steady_clock::now();
        scanner.Scan();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%ld files, %ld directories; fastest %.1f ms, median %.1f ms of %d walks\n", files,
                directories, times.front(), times[times.size() / 2], runs);
    return 0;
}
