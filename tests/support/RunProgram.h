#pragma once

#include <string>
#include <vector>

namespace ferrolux::test {

struct ProgramResult {
    int exitCode = -1; // -1 when the program did not exit normally
    std::string out;
    std::string err;
    long peakKiB = 0; // the program's peak resident memory
};

// A limit on open files for the program (0: as this process has it).
struct OpenFileLimit {
    unsigned long soft = 0;
    unsigned long hard = 0;
};

// Runs a program with arguments (no shell), optionally in a working
// directory, and collects its exit code and both output streams.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory = {}, OpenFileLimit limit = {});

// A program started in the background, for tests that act on it while it
// runs (send it a signal once it has said something on stderr).
class RunningProgram {
public:
    RunningProgram(const std::string& program, const std::vector<std::string>& arguments);
    ~RunningProgram(); // kills the program if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Reads stderr until `text` has appeared (true) or the stream ended.
    bool waitForErr(const std::string& text);
    void signal(int number);
    // Waits for the end; the raw wait status.
    int wait();
    const std::string& err() const { return err_; }

private:
    bool readMore();

    int pid_ = -1;
    int errFd_ = -1;
    std::string err_;
    bool ended_ = false;
    int status_ = 0;
};

} // namespace ferrolux::test
