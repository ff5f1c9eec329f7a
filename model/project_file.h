#pragma once

#include "model/project.h"

#include <string>
#include <string_view>

namespace k10 {

// The project file ".k10": one value per line, sources with their modes before their lines. Both
// directions throw Error with the system's message.

TProect parseProject(std::string_view bytes);
TProect readProject(const std::string& path);

// Refuses (throws) a project holding a text with a line break, which the file could not carry.
std::string serializeProject(const TProect& project);
void writeProject(const std::string& path, const TProect& project);

} // namespace k10
