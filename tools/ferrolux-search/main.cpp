#include "CliOptions.h"
#include "CliSearch.h"
#include "platform/files/TempFolders.h"
#include "platform/posix/Descriptors.h"

#include <QCoreApplication>
#include <cstdio>

using namespace ferrolux;

int main(int argc, char** argv) {
    preparePrivateFolders(); // before any thread starts
    raiseOpenFileLimit();
    QCoreApplication app(argc, argv); // locale and text codecs as the application has them
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const CliParse parsed = parseCommandLine(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "ferrolux-search: %s\nTry 'ferrolux-search --help'.\n",
                     parsed.error.c_str());
        return kRefused;
    }
    if (parsed.options.showHelp) {
        std::fputs(kCliUsage, stdout);
        return 0;
    }
    if (parsed.options.showVersion) {
        std::printf("ferrolux-search %s\n", FERROLUX_VERSION);
        return 0;
    }
    if (const std::string problem = startDirectoryProblem(parsed.options.directory);
        !problem.empty()) {
        std::fprintf(stderr, "ferrolux-search: %s\n", problem.c_str());
        return kRefused;
    }
    return runCliSearch(parsed.options);
}
