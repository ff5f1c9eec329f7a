// Files that no writer made: binary garbage, NUL bytes, a line of 100 MB, counts at the ends of 32 bits,
// a DOS line file naming no source, catalog lines of thousands of colons. Each gets a clear message (short,
// printable, whole) and bounded memory; none crashes or hangs. The heavy cases run in a child process,
// which reports its message and how much its peak memory grew.

#include "catalogs/catalog_files.h"
#include "import/dos_import.h"
#include "model/project_file.h"
#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace k10;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

const QString kIncomplete =
    "Файл проекта неполон: он кончается раньше, чем записи, которые объявлены в нём. Проект не открыт.";
const QString kImportFailed = "Ошибка в файлах. Импорт невозможен";
constexpr std::size_t kHundredMegabytes = 100u << 20;

// The message of a reader's refusal, or "" when it read the bytes. Anything but Error escapes and fails
// the test.
QString projectMessage(std::string_view bytes) {
    try {
        parseProject(bytes);
        return {};
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
}

QString wireMessage(std::string_view bytes) {
    try {
        parseWireCatalog(bytes);
        return {};
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
}

QString transMessage(std::string_view bytes) {
    try {
        parseTransCatalog(bytes);
        return {};
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
}

// A message the error box can show as it is: whole UTF-8, no control characters, a few lines' worth.
bool isClear(const std::string& message) {
    if (message.empty() || message.size() > 400)
        return false;
    for (unsigned char c : message)
        if (c < ' ' || c == 0x7f)
            return false;
    // Valid UTF-8 comes back from a round through QString unchanged.
    QByteArray utf8 = QByteArray::fromStdString(message);
    return QString::fromUtf8(utf8).toUtf8() == utf8;
}

// The text with every '~' made a NUL byte.
std::string withNuls(std::string text) {
    std::replace(text.begin(), text.end(), '~', '\0');
    return text;
}

// What a child process reports: its message ("" when the reader accepted the bytes) and by how many KB its
// peak resident memory grew while it worked.
struct ChildReport {
    bool finished = false;
    std::string message;
    long peakGrowthKb = 0;
};

// Runs work in a forked child, so that a crash cannot take the test down and the child's peak memory is
// its own. work returns the message of the reader's refusal, or "".
ChildReport inChild(const std::function<std::string()>& work) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        std::string message = work();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        std::string report = std::to_string(after.ru_maxrss - before.ru_maxrss) + "\n" + message;
        std::size_t done = 0;
        while (done < report.size()) {
            ssize_t put = ::write(pipeEnds[1], report.data() + done, report.size() - done);
            if (put <= 0)
                ::_exit(2);
            done += static_cast<std::size_t>(put);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildReport result;
    std::size_t newline = report.find('\n');
    result.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0 && newline != std::string::npos;
    if (result.finished) {
        result.peakGrowthKb = std::stol(report.substr(0, newline));
        result.message = report.substr(newline + 1);
    }
    return result;
}

// Memory that grows with the file is bounded by it: the file (or its longest line) once and a copy of it,
// with room for the program around it. Under AddressSanitizer the allocator keeps freed memory for a
// while, so the figure says nothing there.
void expectMemoryBoundedBy(const ChildReport& report, std::size_t fileBytes) {
    if (kAddressSanitizer)
        return;
    long boundKb = static_cast<long>(2 * fileBytes / 1024) + 64 * 1024;
    QVERIFY2(report.peakGrowthKb < boundKb,
             qPrintable(QString("peak memory grew by %1 KB for a file of %2 KB")
                            .arg(report.peakGrowthKb)
                            .arg(fileBytes / 1024)));
}

std::string sourceBlock(const std::string& counts) {
    return "S\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n" + counts;
}

// A source file of the DOS set whose rows give sources 1 and 2.
const std::string kTwoSources = "S1                   1,0.1,0.2,0.3,0.4\r\n"
                                "S2                   2,0.1,0.2,0.3,0.4,10\r\n";

void writeBytes(const QString& path, std::string_view bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT

private slots:
    // Random bytes, of every value and of the characters the files are made of, at random lengths.
    void binaryGarbage() {
        std::mt19937_64 random(4242);
        const std::string fileAlphabet = "0123456789-+.eE: ,\r\n\t\x1a";
        for (int i = 0; i < 600; ++i) {
            std::size_t length = random() % (i % 50 == 0 ? 65536 : 600);
            bool structured = i % 2 == 1;
            std::string bytes;
            for (std::size_t k = 0; k < length; ++k)
                bytes +=
                    structured ? fileAlphabet[random() % fileAlphabet.size()] : static_cast<char>(random());
            for (const QString& message : {projectMessage(bytes), wireMessage(bytes), transMessage(bytes)})
                QVERIFY2(message.isEmpty() || isClear(message.toStdString()), qPrintable(message));
            std::size_t split = random() % (bytes.size() + 1);
            std::optional<std::vector<TSource>> sources = readDosFileSet(
                std::string_view(bytes).substr(0, split), std::string_view(bytes).substr(split), 0);
            if (sources)
                QVERIFY(sources->size() <= 100);
        }
        // Plain binary garbage is refused by the project reader, with one of its messages.
        QCOMPARE(projectMessage("\x89PNG\r\n\x1a\n"), QString("Invalid numeric input"));
    }

    void nulBytes() {
        const std::string nuls(4096, '\0');
        // NUL bytes count as blanks before a number: a file of them holds no number at all.
        QCOMPARE(projectMessage(nuls), kIncomplete);
        QCOMPARE(wireMessage(nuls), QString());
        QCOMPARE(transMessage(nuls), QString());
        QVERIFY(!readDosFileSet(nuls, std::nullopt, 0));
        // A NUL inside a number is shown as '?', and the message goes on past it.
        std::string voltage = "1\r\n" + sourceBlock("0\r\n0\r\n");
        voltage.replace(voltage.find("10\r\n"), 4, withNuls("1~0\r\n"));
        QCOMPARE(projectMessage(voltage), QString("'1?0' is not a valid floating point value"));
        QCOMPARE(wireMessage(withNuls("W:1~5:1:1:1:1:\r\n")),
                 QString("'1?5' is not a valid floating point value"));
        QCOMPARE(transMessage(withNuls("T:2~5:1:1:\r\n")), QString("'2?5' is not a valid integer value"));
        QVERIFY(!readDosFileSet(withNuls("S                    1,0.1,0.~2,0.3,0.4\r\n"), std::nullopt, 0));
        // In a text a NUL is a character like any other.
        std::string named = "1\r\n" + sourceBlock("0\r\n0\r\n");
        named.replace(0, 4, withNuls("1\r\nA~B"));
        TProect project = parseProject(named);
        QCOMPARE(project.Sources[1].Name.str(), std::string("A\0B", 3));
    }

    // A line of 100 MB where a text, a real, a catalog field and a DOS row stand. Texts keep their capacity;
    // numbers are refused with the start of the line; memory stays within twice the file's size.
    void lineOf100Megabytes_data() {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<char>("fill");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("message");
        const QString sevens = "'" + QString(60, '7') + "...'";
        QTest::newRow("source name") << "project" << QByteArray("1\r\n") << 'N'
                                     << QByteArray("\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n")
                                     << "read, name of 50 characters";
        QTest::newRow("source voltage") << "project" << QByteArray("1\r\nS\r\n1\r\n") << '7'
                                        << QByteArray("\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n")
                                        << sevens + " is not a valid floating point value";
        QTest::newRow("mode length: its first 64 characters")
            << "project" << QByteArray("1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n1\r\na\r\nb\r\nc\r\nd\r\n")
            << '7' << QByteArray("\r\nP\r\nO\r\n5\r\n0\r\n") << "read, name of 1 characters";
        QTest::newRow("wire resistance") << "wires" << QByteArray("W:") << '7' << QByteArray(":1:1:1:1:\r\n")
                                         << sevens + " is not a valid floating point value";
        QTest::newRow("wire line without a colon")
            << "wires" << QByteArray() << 'x' << QByteArray("\r\nW:1:1:1:1:1:\r\n") << "read, 1 entries";
        QTest::newRow("transformer power")
            << "transformers" << QByteArray("T:") << '7' << QByteArray(":1:1:\r\n")
            << sevens + " is not a valid integer value";
        QTest::newRow("DOS source row") << "dos" << QByteArray("S                    1,") << '7'
                                        << QByteArray(",0.2,0.3,0.4\r\n") << kImportFailed;
    }
    void lineOf100Megabytes() {
        QFETCH(QString, reader);
        QFETCH(QByteArray, head);
        QFETCH(char, fill);
        QFETCH(QByteArray, tail);
        QFETCH(QString, message);
        // A file system in memory where there is one: writing 100 MB to a disk is slow.
        QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/k10-hostile-XXXXXX"
                                                    : QDir::tempPath() + "/k10-hostile-XXXXXX");
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(reader == "dos" ? "net.ip" : "file");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(head);
            const QByteArray block(1 << 20, fill);
            for (std::size_t done = 0; done < kHundredMegabytes; done += std::size_t(block.size()))
                QCOMPARE(file.write(block), qint64(block.size()));
            file.write(tail);
        }
        const std::string target = path.toStdString();

        ChildReport report = inChild([&]() -> std::string {
            try {
                if (reader == "project")
                    return "read, name of " + std::to_string(readProject(target).Sources[1].Name.size()) +
                           " characters";
                if (reader == "wires")
                    return "read, " + std::to_string(readWireCatalog(target).count()) + " entries";
                if (reader == "transformers")
                    return "read, " + std::to_string(readTransCatalog(target).count()) + " entries";
            } catch (const Error& error) {
                return error.what();
            }
            DosImportResult result = importDosFileSet(target, 0);
            return result.messages.empty() ? std::string() : result.messages.back();
        });
        QVERIFY2(report.finished, "the reader crashed");
        QCOMPARE(QString::fromStdString(report.message), message);
        expectMemoryBoundedBy(report, kHundredMegabytes);
    }

    // A device that gives bytes without end is refused before it is read, by every reader.
    void endlessDevice() {
        if (!QFileInfo::exists("/dev/zero"))
            QSKIP("no /dev/zero here");
        ChildReport report = inChild([]() -> std::string {
            std::string messages;
            for (const auto& read : std::vector<std::function<void()>>{
                     [] { readProject("/dev/zero"); }, [] { readWireCatalog("/dev/zero"); },
                     [] { readTransCatalog("/dev/zero"); }}) {
                try {
                    read();
                    messages += "read;";
                } catch (const Error& error) {
                    messages += std::string(error.what()) + ";";
                }
            }
            return messages;
        });
        QVERIFY2(report.finished, "a reader crashed");
        QCOMPARE(QString::fromStdString(report.message),
                 QString("File access denied;File access denied;File access denied;"));
    }

    // Counts at the ends of 32 bits: the largest is refused before any room is made for it, the smallest
    // reads as an empty list, one past either is not a number.
    void countsAtTheEndsOf32Bits_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("sources");
        const QString source = QString::fromStdString(sourceBlock(""));
        auto tooMany = [](const QString& what) {
            return "В файле слишком много " + what +
                   ": 2147483647 (допускается не более 100). Проект не открыт.";
        };
        QTest::newRow("sources 2^31-1") << "2147483647\r\n" << tooMany("источников питания") << 0;
        QTest::newRow("modes 2^31-1") << "1\r\n" + source + "2147483647\r\n"
                                      << tooMany("режимов работы") << 0;
        QTest::newRow("lines 2^31-1") << "1\r\n" + source + "0\r\n2147483647\r\n" << tooMany("линий") << 0;
        QTest::newRow("sections 2^31-1") << "1\r\n" + source + "0\r\n1\r\n101\r\n2147483647\r\n"
                                         << tooMany("участков линии") << 0;
        QTest::newRow("sources -2^31") << "-2147483648\r\n"
                                       << "" << 0;
        QTest::newRow("modes and lines -2^31") << "1\r\n" + source + "-2147483648\r\n-2147483648\r\n"
                                               << "" << 1;
        QTest::newRow("sections -2^31") << "1\r\n" + source + "0\r\n1\r\n101\r\n-2147483648\r\n"
                                        << "" << 1;
        QTest::newRow("sources 2^31") << "2147483648\r\n"
                                      << "Invalid numeric input" << 0;
        QTest::newRow("sources -2^31-1") << "-2147483649\r\n"
                                         << "Invalid numeric input" << 0;
        QTest::newRow("code 2^31") << "1\r\nS\r\n2147483648\r\n"
                                   << "Invalid numeric input" << 0;
    }
    void countsAtTheEndsOf32Bits() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(int, sources);
        const std::string bytes = file.toStdString();
        ChildReport report = inChild([&]() -> std::string {
            try {
                return "read, sources: " + std::to_string(parseProject(bytes).SourceCount());
            } catch (const Error& error) {
                return error.what();
            }
        });
        QVERIFY2(report.finished, "the reader crashed");
        QCOMPARE(QString::fromStdString(report.message),
                 message.isEmpty() ? QString("read, sources: %1").arg(sources) : message);
        expectMemoryBoundedBy(report, bytes.size());
    }

    void catalogNumbersAtTheEndsOf32Bits() {
        WireCatalog wires = parseWireCatalog("W:1:1:1:2147483647:-2147483648:\r\n");
        QCOMPARE(int(wires[1].R_V), 255);
        QCOMPARE(int(wires[1].R_G), 0);
        TransCatalog trans = parseTransCatalog("T:2147483647:1:1:\r\nU:-2147483648:1:1:\r\n");
        QCOMPARE(int(trans[1].S), 65535);
        QCOMPARE(int(trans[2].S), 0);
        QCOMPARE(wireMessage("W:1:1:1:2147483648:1:\r\n"),
                 QString("'2147483648' is not a valid integer value"));
        QCOMPARE(transMessage("T:-2147483649:1:1:\r\n"),
                 QString("'-2147483649' is not a valid integer value"));
        std::optional<std::vector<TSource>> dos =
            readDosFileSet("S                    2147483647,1,2,3,4\r\n", std::nullopt, 0);
        QVERIFY(dos);
        QCOMPARE((*dos)[0].Code, 2147483647);
        QVERIFY(!readDosFileSet("S                    2147483648,1,2,3,4\r\n", std::nullopt, 0));
    }

    // Each line file names a source the set does not hold: the whole import fails and adds nothing.
    void dosLinesNamingNoSource_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("source 3 of 2") << QByteArray(" 301,A,1\r\n");
        QTest::newRow("source 0") << QByteArray(" 001,A,1\r\n");
        QTest::newRow("source 99") << QByteArray(" 9901,A,1\r\n");
        QTest::newRow("negative source") << QByteArray(" -101,A,1\r\n");
        QTest::newRow("letters") << QByteArray(" ab1,A,1\r\n");
        QTest::newRow("one good group, then source 7") << QByteArray(" 101,A,1\r\nA,B,2\r\n\r\n 701,C,1\r\n");
        QTest::newRow("header of blanks") << QByteArray("    ,A,1\r\n");
        QTest::newRow("header of a lone character") << QByteArray("x\r\n");
        QTest::newRow("NUL identifier") << QByteArray::fromStdString(withNuls(" ~~1,A,1\r\n"));
    }
    void dosLinesNamingNoSource() {
        QFETCH(QByteArray, lines);
        QVERIFY(!readDosFileSet(kTwoSources, lines.toStdString(), 0));
        QTemporaryDir dir;
        writeBytes(dir.filePath("net.ip"), kTwoSources);
        writeBytes(dir.filePath("net.lin"), lines.toStdString());
        DosImportResult result = importDosFileSet(dir.filePath("net.ip").toStdString(), 0);
        QCOMPARE(result.outcome, DosImportResult::Outcome::Failed);
        QCOMPARE(QString::fromStdString(result.messages.back()), kImportFailed);
        QVERIFY(result.sources.empty());
    }

    // Lines of thousands of colons: a line that starts with one is skipped, a name followed by them has
    // empty fields, and what follows the last field is ignored however long it is.
    void catalogLinesOfThousandsOfColons() {
        const std::string colons(5000, ':');
        std::string skipped;
        for (int i = 0; i < 2000; ++i)
            skipped += colons + "\r\n";
        QCOMPARE(parseWireCatalog(skipped).count(), 0);
        QCOMPARE(parseTransCatalog(skipped).count(), 0);
        QCOMPARE(wireMessage("W" + colons + "\r\n"), QString("'' is not a valid floating point value"));
        QCOMPARE(transMessage("T" + colons + "\r\n"), QString("'' is not a valid integer value"));

        std::string wires;
        std::string trans;
        for (int i = 0; i < 100; ++i) {
            wires += "W:1:2:3:4:5" + colons + "\r\n";
            trans += "T:1:2:3" + colons + "\r\n";
        }
        WireCatalog wireCatalog = parseWireCatalog(wires);
        QCOMPARE(wireCatalog.count(), 100);
        QCOMPARE(int(wireCatalog[100].R_G), 5);
        QCOMPARE(parseTransCatalog(trans).count(), 100);
        QVERIFY(wireMessage(wires + "W:1:2:3:4:5" + colons + "\r\n")
                    .startsWith("Файл справочника проводов содержит больше 100 записей"));
        QVERIFY(transMessage(trans + trans)
                    .startsWith("Файл справочника трансформаторов содержит больше 100 записей"));
    }
};

QTEST_APPLESS_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
