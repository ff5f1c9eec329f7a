#pragma once

#include <functional>
#include <string>
#include <vector>

namespace k10cli {

// Thrown by a command whose arguments are wrong: the tool prints its usage and exits with 2.
struct UsageError {};

// A command takes the arguments after its name and returns the exit code; a k10::Error it throws is
// printed to standard error and ends the tool with exit code 1.
using Command = std::function<int(const std::vector<std::string>&)>;

// catalog wires|transformers [DIR]: prints the wire or transformer catalog file of DIR as JSON.
int catalog(const std::vector<std::string>& args);

// import-dos FILE OUT.k10: imports a DOS file set into an empty project and writes it.
int importDos(const std::vector<std::string>& args);

} // namespace k10cli
