#pragma once

#include <string>
#include <vector>

namespace ferrolux::test {

struct ProgramResult {
    int exitCode = -1; // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), optionally in a working
// directory, and collects its exit code and both output streams.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory = {});

} // namespace ferrolux::test
