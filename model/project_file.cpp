#include "model/project_file.h"

#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"
#include "text/line_cursor.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <algorithm>
#include <charconv>

namespace k10 {

namespace {

constexpr std::size_t kIntegerTokenLength = 32;
constexpr std::size_t kRealTokenLength = 64;

const char* const kIncompleteFile =
    "Файл проекта неполон: он кончается раньше, чем записи, которые объявлены в нём. Проект не открыт.";

// Takes each kind of value from its line, as the file's layout says.
class ProjectReader {
public:
    explicit ProjectReader(std::string_view bytes) : cursor_(bytes) {}

    TProect read() {
        TProect project;
        int sourceCount = readCount("источников питания");
        project.Sources.reserve(sourceCount);
        for (int i = 1; i <= sourceCount; ++i)
            readSource(project.Sources.append());
        // The last value may be an empty text whose line break is missing; any earlier value read past the
        // end means the file lost records.
        if (textsPastEnd_ > 1)
            throw Error(kIncompleteFile);
        return project;
    }

private:
    void readSource(TSource& source) {
        source.Name = readLine();
        source.Code = readInteger();
        source.Napr = readWholeLineReal();
        source.R_Max = readWholeLineReal();
        source.X_Max = readWholeLineReal();
        source.R_Min = readWholeLineReal();
        source.X_Min = readWholeLineReal();
        int modeCount = readCount("режимов работы");
        source.ModeWorks.reserve(modeCount);
        for (int j = 1; j <= modeCount; ++j)
            readMode(source.ModeWorks.append());
        int lineCount = readCount("линий");
        source.Lines.reserve(lineCount);
        for (int j = 1; j <= lineCount; ++j)
            readLineBlock(source.Lines.append());
    }

    void readMode(TModeWork& mode) {
        mode.L_Begin = readLine();
        mode.L_End = readLine();
        mode.Uzel_Begin = readLine();
        mode.Uzel_End = readLine();
        mode.Dlina = readTokenReal();
        mode.Provod = readLine();
        mode.Uzel_Off = readLine();
        mode.Izm_Nagr = readTokenReal();
    }

    void readLineBlock(TLines& line) {
        line.Name = readLine();
        int sectionCount = readCount("участков линии");
        line.Sections.reserve(sectionCount);
        for (int k = 1; k <= sectionCount; ++k)
            readSection(line.Sections.append());
    }

    void readSection(TLine& section) {
        section.L_Begin = readLine();
        section.L_End = readLine();
        section.Dlina = readTokenReal();
        section.Provod = readLine();
        section.Max_Nagr = readLine();
        section.Gr_Nagr = readLine();
        section.Trans = readLine();
    }

    // A short string takes the first characters of the line and a text the whole line; both skip the rest.
    std::string_view readLine() {
        if (cursor_.atEnd()) {
            ++textsPastEnd_;
            return {};
        }
        requireNothingPastEnd();
        return cursor_.nextLine();
    }

    std::string_view readToken(std::size_t maxLength) {
        requireNothingPastEnd();
        cursor_.skipBlanksAndLineEnds();
        if (cursor_.atEnd())
            throw Error(kIncompleteFile);
        std::string_view token = cursor_.nextToken(maxLength);
        cursor_.skipLine();
        return token;
    }

    std::int32_t readInteger() {
        auto value = parseInteger(readToken(kIntegerTokenLength));
        if (!value)
            throw Error(messages::InvalidNumericInput);
        return *value;
    }

    // A negative count reads as an empty list; more than a list can hold is refused.
    int readCount(const char* what) {
        std::int32_t count = readInteger();
        if (count > 100)
            throw Error(std::string("В файле слишком много ") + what + ": " + std::to_string(count) +
                        " (допускается не более 100). Проект не открыт.");
        return count < 0 ? 0 : count;
    }

    double readTokenReal() {
        auto value = parseRealToken(readToken(kRealTokenLength));
        if (!value)
            throw Error(messages::InvalidNumericInput);
        return *value;
    }

    double readWholeLineReal() {
        requireNothingPastEnd();
        if (cursor_.atEnd())
            throw Error(kIncompleteFile);
        std::string_view line = cursor_.nextLine();
        auto value = parseRealTrimmed(line);
        if (!value)
            throw invalidFloat(std::string(line));
        return *value;
    }

    void requireNothingPastEnd() const {
        if (textsPastEnd_ > 0)
            throw Error(kIncompleteFile);
    }

    LineCursor cursor_;
    int textsPastEnd_ = 0;
};

// The start of a text, for a message that must name it.
std::string cp1251Preview(std::string_view text) {
    return cp1251ToUtf8(text.substr(0, std::min(text.find_first_of("\r\n"), std::size_t{40})));
}

class ProjectWriter {
public:
    std::string write(const TProect& project) {
        putInteger(project.SourceCount());
        for (const TSource& source : project.Sources)
            putSource(source);
        return std::move(out_);
    }

private:
    void putSource(const TSource& source) {
        putText(source.Name.view());
        putInteger(source.Code);
        putReal(source.Napr);
        putReal(source.R_Max);
        putReal(source.X_Max);
        putReal(source.R_Min);
        putReal(source.X_Min);
        putInteger(source.ModeWorkCount());
        for (const TModeWork& mode : source.ModeWorks) {
            putText(mode.L_Begin.view());
            putText(mode.L_End.view());
            putText(mode.Uzel_Begin);
            putText(mode.Uzel_End);
            putReal(mode.Dlina);
            putText(mode.Provod);
            putText(mode.Uzel_Off);
            putReal(mode.Izm_Nagr);
        }
        putInteger(source.LineCount());
        for (const TLines& line : source.Lines) {
            putText(line.Name.view());
            putInteger(line.SectionCount());
            for (const TLine& section : line.Sections) {
                putText(section.L_Begin.view());
                putText(section.L_End.view());
                putReal(section.Dlina);
                putText(section.Provod);
                putText(section.Max_Nagr);
                putText(section.Gr_Nagr);
                putText(section.Trans);
            }
        }
    }

    void putText(std::string_view text) {
        if (text.find_first_of("\r\n") != std::string_view::npos)
            throw Error("Текст «" + cp1251Preview(text) +
                        "» содержит перевод строки, и файл проекта не может его сохранить. Файл не записан.");
        out_ += text;
        out_ += "\r\n";
    }

    void putInteger(std::int32_t value) {
        char buffer[16];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out_.append(buffer, result.ptr);
        out_ += "\r\n";
    }

    void putReal(double value) {
        out_ += formatReal(value);
        out_ += "\r\n";
    }

    std::string out_;
};

} // namespace

TProect parseProject(std::string_view bytes) { return ProjectReader(bytes).read(); }

TProect readProject(const std::string& path) { return parseProject(readWholeFile(path)); }

std::string serializeProject(const TProect& project) { return ProjectWriter().write(project); }

void writeProject(const std::string& path, const TProect& project) {
    writeFileAtomically(path, serializeProject(project));
}

} // namespace k10
