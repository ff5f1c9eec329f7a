// korvane10-tool catalog: the wire or transformer catalog file of a folder as JSON, for scripts.

#include "catalogs/catalog_files.h"
#include "cli/commands.h"
#include "text/codepage.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace k10cli {

namespace {

using nlohmann::ordered_json;

std::string inFolder(const std::vector<std::string>& args, const char* file) {
    if (args.size() < 2 || args[1].empty())
        return file;
    const std::string& folder = args[1];
    return folder.back() == '/' ? folder + file : folder + '/' + file;
}

// Names are printed as stored, padding blanks included.
ordered_json wiresToJson(const k10::WireCatalog& catalog) {
    ordered_json list = ordered_json::array();
    for (const TProvoda& wire : catalog)
        list.push_back({{"Name", k10::cp1251ToUtf8(wire.Name.view())},
                        {"R", wire.R},
                        {"X", wire.X},
                        {"Tok", wire.Tok},
                        {"R_V", static_cast<unsigned>(wire.R_V)},
                        {"R_G", static_cast<unsigned>(wire.R_G)}});
    return list;
}

ordered_json transformersToJson(const k10::TransCatalog& catalog) {
    ordered_json list = ordered_json::array();
    for (const TTrans& trans : catalog)
        list.push_back({{"Name", k10::cp1251ToUtf8(trans.Name.view())},
                        {"S", static_cast<unsigned>(trans.S)},
                        {"U", trans.U},
                        {"dP", trans.dP}});
    return list;
}

} // namespace

int catalog(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2)
        throw UsageError{};
    ordered_json list;
    if (args[0] == "wires") {
        std::string path = inFolder(args, k10::WireCatalogFile);
        list = wiresToJson(onFile(path, [&] { return k10::readWireCatalog(path); }));
    } else if (args[0] == "transformers") {
        std::string path = inFolder(args, k10::TransCatalogFile);
        list = transformersToJson(onFile(path, [&] { return k10::readTransCatalog(path); }));
    } else {
        throw UsageError{};
    }
    std::cout << list.dump(2) << '\n';
    return 0;
}

} // namespace k10cli
