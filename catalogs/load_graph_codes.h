#pragma once

#include <array>

namespace k10 {

// The fixed table of load-graph codes: the kinds of consumer a line section feeds, codes 1 to 32 in order.
// Descriptions are UTF-8. Rows 24 to 26 together form one label with a bracket drawn from characters, so
// their inner runs of blanks belong to the text.
struct LoadGraphCode {
    int code;
    const char* description;
};

const std::array<LoadGraphCode, 32>& loadGraphCodes();

} // namespace k10
