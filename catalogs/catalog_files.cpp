#include "catalogs/catalog_files.h"

#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"
#include "text/line_cursor.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace k10 {

namespace {

const char* const kWireHeader = "34\r\n"
                                ":\r\n"
                                ":------------------------------------------------:\r\n";

// How the messages name each catalog.
const char* const kWires = "справочника проводов";
const char* const kTransformers = "справочника трансформаторов";

// The fields after the name of one entry line, taken from left to right, each up to its colon. A field
// whose colon is missing is empty, so it fails as a number.
class EntryFields {
public:
    explicit EntryFields(std::string_view rest) : rest_(rest) {}

    double real() {
        std::string_view field = next();
        auto value = parseRealTrimmed(field);
        if (!value)
            throw invalidFloat(field);
        return *value;
    }

    // A 32-bit whole number written with any blanks in it, kept in the low bits of the field's type.
    template <class Unsigned> Unsigned integer() {
        std::string_view field = next();
        auto value = parseIntegerIgnoringBlanks(field);
        if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
            *value > std::numeric_limits<std::int32_t>::max()) {
            // The message shows the start of the field only; a huge field is not copied whole.
            std::string compact;
            for (char c : field)
                if (c != ' ' && compact.size() < 64)
                    compact += c;
            throw invalidInteger(compact);
        }
        return static_cast<Unsigned>(static_cast<std::uint32_t>(*value));
    }

private:
    std::string_view next() {
        std::size_t colon = rest_.find(':');
        if (colon == std::string_view::npos) {
            rest_ = {};
            return {};
        }
        std::string_view field = rest_.substr(0, colon);
        rest_.remove_prefix(colon + 1);
        return field;
    }

    std::string_view rest_;
};

// Reads every entry line into the next slot. An entry line holds a colon that is not its first character;
// every other line is skipped. The name is the text before the first colon, blanks included.
template <class Record, class ReadFields>
RecordArray<Record> parseCatalog(std::string_view bytes, const char* what, ReadFields readFields) {
    RecordArray<Record> catalog;
    LineCursor cursor(bytes);
    while (!cursor.atEnd()) {
        std::string line = cp866ToCp1251(cursor.nextLine());
        std::size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            continue;
        if (catalog.full())
            throw Error(std::string("Файл ") + what + " содержит больше " +
                        std::to_string(RecordArray<Record>::capacity) +
                        " записей, а справочник вмещает не более " +
                        std::to_string(RecordArray<Record>::capacity) + ". Справочник не прочитан.");
        Record& record = catalog.append();
        record.Name = std::string_view(line).substr(0, colon);
        EntryFields fields(std::string_view(line).substr(colon + 1));
        readFields(record, fields);
    }
    return catalog;
}

// Builds one entry line: every field padded to its width (a longer text is kept whole) and followed by
// ": ". Refuses what the line could not carry back: a name with a colon, a line break or a character
// missing from code page 866, and a real that is not a finite number.
class EntryLine {
public:
    EntryLine(std::string_view name, const char* what, int slot) : name_(name), what_(what), slot_(slot) {
        if (std::optional<CatalogNameFault> fault = catalogNameFault(name))
            refuse(problemOf(*fault));
        put(cp1251ToCp866(name), 9);
    }

    void real(const char* field, double value, std::size_t width) {
        if (!std::isfinite(value))
            refuse(std::string("имеет в поле ") + field + " значение, которое не является конечным числом");
        put(formatReal(value), width);
    }

    void integer(unsigned value, std::size_t width) { put(std::to_string(value), width); }

    std::string finish() { return std::move(text_) + "\r\n"; }

private:
    void put(std::string_view field, std::size_t width) {
        text_ += field;
        if (field.size() < width)
            text_.append(width - field.size(), ' ');
        text_ += ": ";
    }

    static std::string problemOf(const CatalogNameFault& fault) {
        switch (fault.kind) {
        case CatalogNameFault::Kind::Colon:
            return "содержит двоеточие, а в файле справочника оно разделяет поля";
        case CatalogNameFault::Kind::LineBreak:
            return "содержит перевод строки, а в файле справочника он разделяет записи";
        case CatalogNameFault::Kind::Character:
            break;
        }
        return "содержит символ «" + cp1251ToUtf8(std::string_view(&fault.character, 1)) +
               "», которого нет в кодировке DOS (866) файла справочника";
    }

    [[noreturn]] void refuse(const std::string& problem) const {
        // The name as the user knows it: without its padding blanks, up to a line break.
        std::string_view shown = name_.substr(0, name_.find_first_of("\r\n"));
        while (!shown.empty() && shown.back() == ' ')
            shown.remove_suffix(1);
        throw Error("Марка «" + textForMessage(shown) + "» (запись " + std::to_string(slot_) + " " + what_ +
                    ") " + problem + ". Справочник не записан.");
    }

    std::string_view name_;
    const char* what_;
    int slot_;
    std::string text_;
};

} // namespace

std::optional<CatalogNameFault> catalogNameFault(std::string_view name) {
    for (char c : name) {
        if (c == ':')
            return CatalogNameFault{CatalogNameFault::Kind::Colon, c};
        if (c == '\r' || c == '\n')
            return CatalogNameFault{CatalogNameFault::Kind::LineBreak, c};
        if (unicodeToCp866(cp1251ToUnicode(static_cast<unsigned char>(c))) < 0)
            return CatalogNameFault{CatalogNameFault::Kind::Character, c};
    }
    return std::nullopt;
}

WireCatalog parseWireCatalog(std::string_view bytes) {
    return parseCatalog<TProvoda>(bytes, kWires, [](TProvoda& wire, EntryFields& fields) {
        wire.R = fields.real();
        wire.X = fields.real();
        wire.Tok = fields.real();
        wire.R_V = fields.integer<std::uint8_t>();
        wire.R_G = fields.integer<std::uint8_t>();
    });
}

std::string serializeWireCatalog(const WireCatalog& catalog) {
    std::string out = kWireHeader;
    int slot = 0;
    for (const TProvoda& wire : catalog) {
        EntryLine line(wire.Name.view(), kWires, ++slot);
        line.real("R", wire.R, 7);
        line.real("X", wire.X, 7);
        line.real("Tok", wire.Tok, 6);
        line.integer(wire.R_V, 5);
        line.integer(wire.R_G, 5);
        out += line.finish();
    }
    return out;
}

WireCatalog readWireCatalog(const std::string& path) {
    return parseWireCatalog(readWholeFile(path));
}

void writeWireCatalog(const std::string& path, const WireCatalog& catalog) {
    writeFileAtomically(path, serializeWireCatalog(catalog));
}

TransCatalog parseTransCatalog(std::string_view bytes) {
    return parseCatalog<TTrans>(bytes, kTransformers, [](TTrans& trans, EntryFields& fields) {
        trans.S = fields.integer<std::uint16_t>();
        trans.U = fields.real();
        trans.dP = fields.real();
    });
}

std::string serializeTransCatalog(const TransCatalog& catalog) {
    std::string out;
    int slot = 0;
    for (const TTrans& trans : catalog) {
        EntryLine line(trans.Name.view(), kTransformers, ++slot);
        line.integer(trans.S, 4);
        line.real("U", trans.U, 4);
        line.real("dP", trans.dP, 4);
        out += line.finish();
    }
    return out;
}

TransCatalog readTransCatalog(const std::string& path) {
    return parseTransCatalog(readWholeFile(path));
}

void writeTransCatalog(const std::string& path, const TransCatalog& catalog) {
    writeFileAtomically(path, serializeTransCatalog(catalog));
}

} // namespace k10
