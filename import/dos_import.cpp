#include "import/dos_import.h"

#include "text/codepage.h"
#include "text/file_io.h"
#include "text/line_cursor.h"
#include "text/number_parse.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <system_error>

namespace k10 {

namespace {

const char* const kImported = "Импорт закончен";
const char* const kFailed = "Ошибка в файлах. Импорт невозможен";

constexpr std::size_t kSourceNameWidth = 21;
constexpr int kMaxSources = RecordArray<TSource>::capacity;
constexpr std::size_t kLineFieldCount = 7;

// Any breach of the files' format; the import reports them all with one message.
struct FormatError {};

[[noreturn]] void formatError() {
    throw FormatError{};
}

std::int32_t wholeNumber(std::string_view field) {
    std::optional<std::int32_t> value = parseIntegerLeadingBlanks(field);
    if (!value)
        formatError();
    return *value;
}

double real(std::string_view field) {
    std::optional<double> value = parseRealTrimmed(field);
    if (!value)
        formatError();
    return *value;
}

// The text up to the next comma, which must be there; the comma is consumed.
std::string_view fieldBeforeComma(std::string_view& rest) {
    std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos)
        formatError();
    std::string_view field = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
    return field;
}

// A Ctrl-Z ends a DOS text file; whatever follows it is not part of the text.
std::string_view textBeforeCtrlZ(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\x1a'));
}

// The name takes the first 21 characters whatever they hold, commas included; the numbers follow it.
TSource parseSourceRow(std::string_view row) {
    TSource source;
    source.Name = row.substr(0, kSourceNameWidth);
    std::string_view rest = row.size() > kSourceNameWidth ? row.substr(kSourceNameWidth) : std::string_view{};
    source.Code = wholeNumber(fieldBeforeComma(rest));
    source.R_Max = real(fieldBeforeComma(rest));
    source.X_Max = real(fieldBeforeComma(rest));
    source.R_Min = real(fieldBeforeComma(rest));
    std::size_t comma = rest.find(',');
    source.X_Min = real(rest.substr(0, comma));
    // The voltage runs to the end of the row, so a further comma in it is an error.
    if (comma != std::string_view::npos && comma + 1 < rest.size())
        source.Napr = real(rest.substr(comma + 1));
    return source;
}

// The fields of a row of the line file: each runs up to the next comma; the field without a comma after
// it takes the rest of the row and the fields after it are absent. Fields past the seventh are ignored.
using LineFields = std::array<std::optional<std::string_view>, kLineFieldCount>;

LineFields splitLineRow(std::string_view row) {
    LineFields fields;
    for (auto& field : fields) {
        std::size_t comma = row.find(',');
        field = row.substr(0, comma);
        if (comma == std::string_view::npos)
            break;
        row.remove_prefix(comma + 1);
    }
    return fields;
}

// Fields 2 to 7 of a section row; field 1 differs between the header and a continuation row.
void fillSection(TLine& section, const LineFields& fields) {
    if (fields[1])
        section.L_End = *fields[1];
    if (fields[2])
        section.Dlina = real(*fields[2]);
    if (fields[3])
        section.Provod = *fields[3];
    if (fields[4])
        section.Gr_Nagr = *fields[4];
    if (fields[5])
        section.Max_Nagr = *fields[5];
    if (fields[6])
        section.Trans = *fields[6];
}

// The identifier names its source: a 3-character identifier by its first character, any other by its
// first two. The number counts the sources of this set from 1.
TSource& sourceOfLine(std::string_view identifier, std::vector<TSource>& sources) {
    std::string_view digits = identifier.substr(0, identifier.size() == 3 ? 1 : 2);
    std::int32_t number = wholeNumber(digits);
    if (number < 1 || number > static_cast<std::int32_t>(sources.size()))
        formatError();
    return sources[static_cast<std::size_t>(number - 1)];
}

std::vector<TSource> readSources(std::string_view bytes, int room) {
    std::vector<TSource> sources;
    LineCursor rows(textBeforeCtrlZ(bytes));
    while (!rows.atEnd()) {
        std::string row = cp866ToCp1251(rows.nextLine());
        if (row.empty())
            break;
        if (static_cast<int>(sources.size()) >= room)
            formatError();
        sources.push_back(parseSourceRow(row));
    }
    return sources;
}

// Groups of rows, each a header row (one unused character, then the line identifier) followed by the
// continuation rows up to an empty row. An empty row where a header is due names no source.
void readLines(std::string_view bytes, std::vector<TSource>& sources) {
    LineCursor rows(textBeforeCtrlZ(bytes));
    while (!rows.atEnd()) {
        std::string header = cp866ToCp1251(rows.nextLine());
        LineFields fields = splitLineRow(header);
        std::string_view identifier = fields[0]->empty() ? std::string_view{} : fields[0]->substr(1);
        TSource& source = sourceOfLine(identifier, sources);
        if (source.Lines.full())
            formatError();
        TLines& line = source.Lines.append();
        line.Name = identifier;
        TLine& first = line.Sections.append();
        first.L_Begin = identifier;
        fillSection(first, fields);

        while (!rows.atEnd()) {
            std::string row = cp866ToCp1251(rows.nextLine());
            if (row.empty())
                break;
            if (line.Sections.full())
                formatError();
            LineFields sectionFields = splitLineRow(row);
            TLine& section = line.Sections.append();
            section.L_Begin = *sectionFields[0];
            fillSection(section, sectionFields);
        }
    }
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

// The file at path, or else a file in the same folder whose name differs from it in letter case only:
// sets copied from DOS often carry upper-case names. Among several such files the first by name wins, so
// the choice does not depend on the order of the folder.
std::optional<std::string> findFileIgnoringCase(const std::string& path) {
    if (fileExists(path))
        return path;
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = path.substr(folder.size());

    std::optional<std::string> found;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder.empty() ? std::string(".") : folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::string candidate = entry->path().filename().string();
        if (!equalIgnoringAsciiCase(candidate, name) || !fileExists(folder + candidate))
            continue;
        if (!found || folder + candidate < *found)
            found = folder + candidate;
    }
    return found;
}

std::string missingFileMessage(const std::string& baseName, const char* extension, const char* consequence) {
    return "фаил " + baseName + extension + " не найден.\r" + consequence;
}

} // namespace

DosPathParts splitDosPath(std::string_view path) {
    std::size_t separator = path.find_last_of("/\\");
    std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    DosPathParts parts;
    parts.folder = path.substr(0, nameStart);
    std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot >= nameStart) {
        parts.baseName = path.substr(nameStart, dot - nameStart);
        parts.extension = path.substr(dot + 1);
    }
    return parts;
}

std::optional<std::vector<TSource>>
readDosFileSet(std::string_view sourceFile, std::optional<std::string_view> lineFile, int sourcesInProject) {
    try {
        std::vector<TSource> sources = readSources(sourceFile, kMaxSources - sourcesInProject);
        if (lineFile)
            readLines(*lineFile, sources);
        return sources;
    } catch (const FormatError&) {
        return std::nullopt;
    }
}

DosImportResult importDosFileSet(const std::string& chosenPath, int sourcesInProject) {
    DosImportResult result;
    const DosPathParts parts = splitDosPath(chosenPath);
    const std::string stem = parts.folder + parts.baseName;
    const std::optional<std::string> sourcePath = findFileIgnoringCase(stem + ".ip");
    const std::optional<std::string> linePath = findFileIgnoringCase(stem + ".lin");

    // The extension of the chosen file decides which files must be there; letter case counts.
    const std::string& extension = parts.extension;
    if ((extension == "LIN" || extension == "REG") && !sourcePath) {
        result.outcome = DosImportResult::Outcome::Refused;
        result.messages.push_back(missingFileMessage(parts.baseName, ".ip", "Экспорт невозможен."));
        return result;
    }
    if ((extension == "IP" || extension == "REG") && !linePath)
        result.messages.push_back(
            missingFileMessage(parts.baseName, ".lin", "Будут импортированы только источники питания."));

    std::optional<std::vector<TSource>> sources;
    try {
        if (sourcePath) {
            std::string sourceBytes = readWholeFile(*sourcePath);
            std::optional<std::string> lineBytes;
            if (linePath)
                lineBytes = readWholeFile(*linePath);
            sources = readDosFileSet(sourceBytes, lineBytes, sourcesInProject);
        }
    } catch (const std::exception&) {
        // A file that cannot be read fails the import like a malformed one.
        sources.reset();
    }

    if (!sources) {
        result.outcome = DosImportResult::Outcome::Failed;
        result.messages.push_back(kFailed);
        return result;
    }
    result.outcome = DosImportResult::Outcome::Imported;
    result.messages.push_back(kImported);
    result.sources = std::move(*sources);
    return result;
}

} // namespace k10
