// Any bytes as a wire catalog file. The reader either refuses them with the core's Error or gives a
// catalog; that catalog, once written, reads back and writes again to the same bytes.

#include "catalogs/catalog_files.h"
#include "fuzz/fuzz_checks.h"
#include "text/errors.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    k10::WireCatalog catalog;
    try {
        catalog = k10::parseWireCatalog(bytesOf(data, size));
    } catch (const k10::Error&) {
        return 0;
    }
    std::string written;
    try {
        written = k10::serializeWireCatalog(catalog);
    } catch (const k10::Error&) {
        // A name that the file cannot carry back, which the writer refuses.
        return 0;
    }
    k10::WireCatalog back = k10::parseWireCatalog(written);
    require(back.count() == catalog.count(), "a written wire catalog reads back every entry");
    require(k10::serializeWireCatalog(back) == written,
            "a written wire catalog writes again to the same bytes");
    return 0;
}
