#pragma once

#include "catalogs/catalog_records.h"
#include "model/record_array.h"

#include <optional>
#include <string>
#include <string_view>

namespace k10 {

using WireCatalog = RecordArray<TProvoda>;
using TransCatalog = RecordArray<TTrans>;

// Both files are found by their bare names in the working folder.
inline constexpr const char* WireCatalogFile = "spravp.dat";
inline constexpr const char* TransCatalogFile = "spravt.dat";

// The catalog files: code page 866, CR LF, one entry per line as colon-separated fields, each padded and
// followed by ": "; the wire file starts with three header lines. Lines that are not entry lines are
// skipped on reading. A reader throws Error on a field that is not a number and on more entry lines than a
// catalog holds; a writer throws Error rather than write an entry that would read back differently.

// What keeps a name (Windows-1251) out of a catalog file, which could not carry it back: a colon separates
// the fields of an entry line, a line break the entries, and the file holds only what the DOS code page
// 866 holds. The writers refuse such a name, and the entry dialogs ask before they store one.
struct CatalogNameFault {
    enum class Kind { Colon, LineBreak, Character };
    Kind kind;
    char character; // the first one at fault
};
std::optional<CatalogNameFault> catalogNameFault(std::string_view name);

WireCatalog parseWireCatalog(std::string_view bytes);
std::string serializeWireCatalog(const WireCatalog& catalog);
WireCatalog readWireCatalog(const std::string& path);
void writeWireCatalog(const std::string& path, const WireCatalog& catalog);

TransCatalog parseTransCatalog(std::string_view bytes);
std::string serializeTransCatalog(const TransCatalog& catalog);
TransCatalog readTransCatalog(const std::string& path);
void writeTransCatalog(const std::string& path, const TransCatalog& catalog);

} // namespace k10
