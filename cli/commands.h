#pragma once

#include "text/errors.h"

#include <functional>
#include <string>
#include <vector>

namespace k10cli {

// Thrown by a command whose arguments are wrong: the tool prints the message (or "wrong usage"), its usage
// and exits with 2.
struct UsageError {
    std::string message;
};

// Thrown by a command given --help: the tool prints its usage and exits with 0.
struct HelpAsked {};

// A command takes the arguments after its name and returns the exit code; a k10::Error it throws is
// printed to standard error and ends the tool with exit code 1.
using Command = std::function<int(const std::vector<std::string>&)>;

// Runs the reading or writing of one file; a failure's message then begins with the file's name, so that
// a loop over many files shows which one failed.
template <class Work> auto onFile(const std::string& path, Work work) -> decltype(work()) {
    try {
        return work();
    } catch (const k10::Error& error) {
        throw k10::Error(path + ": " + error.what());
    }
}

// calc FILE.k10 [options]: the network calculation of the project, as text, JSON or CSV.
int calc(const std::vector<std::string>& args);

// catalog wires|transformers [DIR]: prints the wire or transformer catalog file of DIR as JSON.
int catalog(const std::vector<std::string>& args);

// import-dos FILE OUT.k10: imports a DOS file set into an empty project and writes it.
int importDos(const std::vector<std::string>& args);

} // namespace k10cli
