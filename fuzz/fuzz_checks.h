#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

// A broken promise of a reader or writer, reported to the fuzzer as a crash.
inline void require(bool holds, const char* promise) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", promise);
        std::abort();
    }
}

inline std::string_view bytesOf(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
