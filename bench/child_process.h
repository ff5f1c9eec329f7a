#pragma once

#include <string>
#include <vector>

namespace k10bench {

struct ChildRun {
    bool exited = false; // ended by itself (not killed, not timed out)
    int exitCode = -1;
    std::string output;    // what it wrote to its standard output
    std::string errors;    // what it wrote to its standard error
    double wallMs = 0;     // from the start of the child to its end, seen from here
    long peakRssBytes = 0; // ru_maxrss of the child
};

// Runs a program with extra environment variables ("NAME=value") in a folder and waits for it, at most
// timeoutSeconds; a child that takes longer is killed.
ChildRun runChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
                  const std::string& folder, int timeoutSeconds);

} // namespace k10bench
