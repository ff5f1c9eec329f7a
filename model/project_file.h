#pragma once

#include "model/project.h"

#include <string>
#include <string_view>

namespace k10 {

// The project file ".k10": one value per line, sources with their modes before their lines. Both
// directions throw Error with the system's message.

TProect parseProject(std::string_view bytes);
// Reads the file once from start to end, a block at a time, so that the memory of the largest project
// goes to the project and not to a copy of its file. A line longer than a block is read whole all the same.
inline constexpr std::size_t ProjectReadBlock = 256 * 1024;
TProect readProject(const std::string& path, std::size_t blockSize = ProjectReadBlock);

// Refuses (throws) a project holding a text with a line break, which the file could not carry.
std::string serializeProject(const TProect& project);
void writeProject(const std::string& path, const TProect& project);

} // namespace k10
