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
    explicit ProjectReader(LineCursor& cursor) : cursor_(cursor) {}

    TProect read() {
        TProect project;
        int sourceCount = readCount("источников питания");
        project.Sources.reserve(sourceCount);
        for (int i = 1; i <= sourceCount; ++i)
            readSource(project.Sources.append());
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
    // Every value needs its line, an empty text too: a file cut just before its last line must not read
    // as a last text that happens to be empty.
    std::string_view readLine() {
        if (cursor_.atEnd())
            throw Error(kIncompleteFile);
        return cursor_.nextLine();
    }

    // The run of characters above the blank at the start of the next line that holds any, at most
    // maxLength long; the rest of that line is skipped.
    std::string_view readToken(std::size_t maxLength) {
        cursor_.skipBlanksAndLineEnds();
        if (cursor_.atEnd())
            throw Error(kIncompleteFile);
        std::string_view line = cursor_.nextLine().substr(0, maxLength);
        std::size_t end = 0;
        while (end < line.size() && static_cast<unsigned char>(line[end]) > ' ')
            ++end;
        return line.substr(0, end);
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
        if (cursor_.atEnd())
            throw Error(kIncompleteFile);
        std::string_view line = cursor_.nextLine();
        auto value = parseRealTrimmed(line);
        if (!value)
            throw invalidFloat(line);
        return *value;
    }

    LineCursor& cursor_;
};

// The start of a text, for a message that must name it.
std::string cp1251Preview(std::string_view text) {
    return textForMessage(text.substr(0, text.find_first_of("\r\n")));
}

// Gives every value of the project to the visitor in the file's order: texts (short strings too),
// integers and reals. A record ends after its last value.
template <class Visitor> void visitFileValues(const TProect& project, Visitor& visitor) {
    visitor.integer(project.SourceCount());
    for (const TSource& source : project.Sources) {
        visitor.text(source.Name.view());
        visitor.integer(source.Code);
        visitor.real(source.Napr);
        visitor.real(source.R_Max);
        visitor.real(source.X_Max);
        visitor.real(source.R_Min);
        visitor.real(source.X_Min);
        visitor.integer(source.ModeWorkCount());
        for (const TModeWork& mode : source.ModeWorks) {
            visitor.text(mode.L_Begin.view());
            visitor.text(mode.L_End.view());
            visitor.text(mode.Uzel_Begin);
            visitor.text(mode.Uzel_End);
            visitor.real(mode.Dlina);
            visitor.text(mode.Provod);
            visitor.text(mode.Uzel_Off);
            visitor.real(mode.Izm_Nagr);
            visitor.endRecord();
        }
        visitor.integer(source.LineCount());
        for (const TLines& line : source.Lines) {
            visitor.text(line.Name.view());
            visitor.integer(line.SectionCount());
            for (const TLine& section : line.Sections) {
                visitor.text(section.L_Begin.view());
                visitor.text(section.L_End.view());
                visitor.real(section.Dlina);
                visitor.text(section.Provod);
                visitor.text(section.Max_Nagr);
                visitor.text(section.Gr_Nagr);
                visitor.text(section.Trans);
                visitor.endRecord();
            }
        }
        visitor.endRecord();
    }
}

// Refuses a text with a line break, which the file could not carry. The whole project is checked before
// anything is written.
struct LineBreakCheck {
    void text(std::string_view text) {
        if (std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }))
            throw Error("Текст «" + cp1251Preview(text) +
                        "» содержит перевод строки, и файл проекта не может его сохранить. Файл не записан.");
    }
    void integer(std::int32_t) {}
    void real(double) {}
    void endRecord() {}
};

// Writes each value on a line of its own and hands the file to the sink block by block, so that the
// largest project never has a copy of its file in memory.
class ProjectWriter {
public:
    explicit ProjectWriter(ByteSink& sink) : sink_(sink) { out_.reserve(2 * kBlockSize); }

    void text(std::string_view text) {
        out_ += text;
        out_ += "\r\n";
    }

    void integer(std::int32_t value) {
        char buffer[16];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out_.append(buffer, result.ptr);
        out_ += "\r\n";
    }

    void real(double value) {
        out_ += formatReal(value);
        out_ += "\r\n";
    }

    void endRecord() {
        if (out_.size() >= kBlockSize)
            flush();
    }

    void flush() {
        sink_.write(out_);
        out_.clear();
    }

private:
    static constexpr std::size_t kBlockSize = 1 << 18;

    ByteSink& sink_;
    std::string out_;
};

void writeProjectTo(ByteSink& sink, const TProect& project) {
    ProjectWriter writer(sink);
    visitFileValues(project, writer);
    writer.flush();
}

class StringSink : public ByteSink {
public:
    void write(std::string_view bytes) override { bytes_ += bytes; }
    std::string bytes_;
};

} // namespace

TProect parseProject(std::string_view bytes) {
    LineCursor cursor(bytes);
    return ProjectReader(cursor).read();
}

TProect readProject(const std::string& path, std::size_t blockSize) {
    InputFile file(path);
    LineCursor cursor(file, blockSize);
    return ProjectReader(cursor).read();
}

std::string serializeProject(const TProect& project) {
    LineBreakCheck check;
    visitFileValues(project, check);
    StringSink sink;
    writeProjectTo(sink, project);
    return std::move(sink.bytes_);
}

void writeProject(const std::string& path, const TProect& project) {
    LineBreakCheck check;
    visitFileValues(project, check);
    writeFileAtomically(path, [&](ByteSink& sink) { writeProjectTo(sink, project); });
}

} // namespace k10
