#pragma once

#include <string>
#include <string_view>

namespace k10 {

// Reads a whole file. Throws Error with the system's message when it cannot.
std::string readWholeFile(const std::string& path);

// Replaces the file with the given bytes, or leaves it as it was: the bytes go to a temporary file in the
// same folder, which is flushed to disk and renamed over the target. Throws Error on failure and leaves
// no temporary file behind.
void writeFileAtomically(const std::string& path, std::string_view bytes);

bool fileExists(const std::string& path);

} // namespace k10
