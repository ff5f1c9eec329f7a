// The DOS file set import, on file sets written here in code page 866, and the import-dos command.

#include "import/dos_import.h"
#include "text/codepage.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace k10;
using Outcome = DosImportResult::Outcome;

namespace {

const QString kDone = "Импорт закончен";
const QString kFailed = "Ошибка в файлах. Импорт невозможен";

std::string cp1251(const char* utf8) {
    return *utf8ToCp1251(utf8);
}
QByteArray dos(const QString& text) {
    return QByteArray::fromStdString(cp1251ToCp866(cp1251(text.toUtf8().constData())));
}

// A row of the source file: the name in its 21 characters, then the numbers.
QByteArray sourceRow(const QString& name, const QString& numbers) {
    return dos(name.leftJustified(21, ' ', true) + numbers);
}

// Two sources with Cyrillic names; the line file gives the second one a line of two sections.
const QByteArray kSources =
    sourceRow("ПС Северная 110/10 кВ", "1,0.1,0.2,0.3,0.4,10\r\n") + sourceRow("ПС Южная", "2,1,2,3,4\r\n");
const QByteArray kLines = dos(" 201,Т-1,1.5,АС-50,5,100,ТМ-100\r\nТ-1,Т-2,0.5\r\n");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList messagesOf(const DosImportResult& result) {
    QStringList list;
    for (const std::string& message : result.messages)
        list << QString::fromStdString(message);
    return list;
}

// Imports a set of the two files (an empty QByteArray: no such file) named net.ip and net.lin.
DosImportResult importSet(const QByteArray& sources, const QByteArray& lines, int sourcesInProject = 0) {
    QTemporaryDir dir;
    writeFile(dir.filePath("net.ip"), sources);
    if (!lines.isEmpty())
        writeFile(dir.filePath("net.lin"), lines);
    return importDosFileSet(dir.filePath("net.ip").toStdString(), sourcesInProject);
}

struct Run {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

Run runTool(const QStringList& args) {
    QProcess process;
    process.start(K10_TOOL, args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestDosImport : public QObject {
    Q_OBJECT

private slots:
    // Which files must be there depends on the chosen extension, letter case included; the names on disk
    // are found whatever their case.
    void checksByTheChosenExtension_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("sources");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("lines");
        const QString noLines = "фаил NET.lin не найден.\rБудут импортированы только источники питания.";
        const QString refusal = "фаил NET.ip не найден.\rЭкспорт невозможен.";
        auto row = [](const char* name, const QStringList& files) -> QTestData& {
            return QTest::newRow(name) << files << kSources;
        };
        // The first file is the one chosen.
        row("IP without line file", {"NET.IP"}) << QStringList{noLines, kDone} << 0;
        row("LIN without source file", {"NET.LIN"}) << QStringList{refusal} << 0;
        row("REG without source file", {"NET.REG", "NET.LIN"}) << QStringList{refusal} << 0;
        row("REG without line file", {"NET.REG", "NET.IP"}) << QStringList{noLines, kDone} << 0;
        row("names in mixed case", {"NET.REG", "Net.Ip", "nET.liN"}) << QStringList{kDone} << 1;
        row("folder cut at a backslash", {"DOS\\NET.IP"}) << QStringList{noLines, kDone} << 0;
        row("Cyrillic base name", {"сеть.IP"})
            << QStringList{"фаил сеть.lin не найден.\rБудут импортированы только источники питания.", kDone}
            << 0;
        row("lower-case ip: no warning", {"net.ip"}) << QStringList{kDone} << 0;
        row("lower-case lin: no refusal", {"net.lin"}) << QStringList{kFailed} << 0;
        QTest::newRow("warning, then failure")
            << QStringList{"NET.IP"} << dos("ПС\r\n") << QStringList{noLines, kFailed} << 0;
    }
    void checksByTheChosenExtension() {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, sources);
        QFETCH(QStringList, messages);
        QFETCH(int, lines);
        QTemporaryDir dir;
        for (const QString& file : files) {
            QString extension = file.section('.', -1).toLower();
            writeFile(dir.filePath(file), extension == "ip" ? sources : extension == "lin" ? kLines : "");
        }
        DosImportResult result = importDosFileSet(dir.filePath(files[0]).toStdString(), 0);
        Outcome outcome = messages.last() == kDone     ? Outcome::Imported
                          : messages.last() == kFailed ? Outcome::Failed
                                                       : Outcome::Refused;
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(messagesOf(result), messages);
        QCOMPARE(int(result.sources.size()), outcome == Outcome::Imported ? 2 : 0);
        if (!result.sources.empty())
            QCOMPARE(result.sources[1].LineCount(), lines);
    }

    // The values are code, R_Max, X_Max, R_Min, X_Min, Napr; none when the row fails the import.
    void sourceRows_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QList<double>>("values");
        auto row = [](const char* title, const char* numbers) -> QTestData& {
            return QTest::newRow(title) << sourceRow("ПС 1, фидер 2", numbers);
        };
        row("code 5 and four reals", "5,0.1,0.2,0.3,0.4") << QList<double>{5, 0.1, 0.2, 0.3, 0.4, 0};
        row("with the voltage", "5,0.1,0.2,0.3,0.4,10\r\n") << QList<double>{5, 0.1, 0.2, 0.3, 0.4, 10};
        row("blanks, signs, exponents", "  -5, 1e-3 ,+2.5E2,.5 ,3 , 6.3 ")
            << QList<double>{-5, 0.001, 250, 0.5, 3, 6.3};
        row("empty voltage after the comma", "5,1,2,3,4,") << QList<double>{5, 1, 2, 3, 4, 0};
        row("blank after the code", "5 ,1,2,3,4") << QList<double>{};
        row("no comma after R_Min", "5,1,2,3") << QList<double>{};
        row("comma after the voltage", "5,1,2,3,4,10,") << QList<double>{};
        row("empty real", "5,,2,3,4") << QList<double>{};
        QTest::newRow("shorter than the name") << dos("ПС 1") << QList<double>{};
    }
    void sourceRows() {
        QFETCH(QByteArray, row);
        QFETCH(QList<double>, values);
        DosImportResult result = importSet(row, {});
        QCOMPARE(messagesOf(result), QStringList{values.isEmpty() ? kFailed : kDone});
        QCOMPARE(result.sources.size(), values.isEmpty() ? 0u : 1u);
        if (values.isEmpty())
            return;
        const TSource& s = result.sources[0];
        QCOMPARE(s.Name.str(), cp1251("ПС 1, фидер 2        "));
        QCOMPARE((QList<double>{double(s.Code), s.R_Max, s.X_Max, s.R_Min, s.X_Min, s.Napr}), values);
    }

    // Rows end with CR LF or LF; an empty row ends the sources, a Ctrl-Z the line file.
    void lineGroups() {
        QByteArray sources;
        for (int i = 1; i <= 12; ++i)
            sources += sourceRow("S", QString("%1,0,0,0,0\r\n").arg(i));
        sources += "\r\ngarbage\r\n";
        const QByteArray lines = dos(" 201, Узел 1 ,1.5, АС-50 ,5,100,ТМ-100,лишнее\r\n"
                                     "A1,A2\r\n"
                                     "A2,УзелНомер10,0.25,,,,\r\n"
                                     "\r\n"
                                     "x12ab,B\n"
                                     "\n"
                                     "#123456789012,C\r\n"
                                     "\r\n"
                                     "_1\n"
                                     "\n\x1a\n\n");
        DosImportResult result = importSet(sources, lines);
        QCOMPARE(messagesOf(result), QStringList{kDone});
        QCOMPARE(result.sources.size(), 12u);

        const TLines& line = result.sources[1].Lines[1];
        QCOMPARE(result.sources[1].LineCount(), 1);
        QCOMPARE(line.Name.str(), std::string("201"));
        QCOMPARE(line.SectionCount(), 3);
        TLine section;
        section.L_Begin = "201";
        section.L_End = cp1251(" Узел 1 ");
        section.Dlina = 1.5;
        section.Provod = cp1251(" АС-50 ");
        section.Gr_Nagr = "5";
        section.Max_Nagr = "100";
        section.Trans = cp1251("ТМ-100");
        QVERIFY(line.Sections[1] == section);
        section = TLine();
        section.L_Begin = "A1";
        section.L_End = "A2";
        QVERIFY(line.Sections[2] == section);
        QCOMPARE(line.Sections[3].L_End.str(), cp1251("УзелНоме"));
        QCOMPARE(line.Sections[3].Dlina, 0.25);

        const TSource& twelfth = result.sources[11];
        QCOMPARE(twelfth.LineCount(), 2);
        QCOMPARE(twelfth.Lines[1].Name.str(), std::string("12ab"));
        QCOMPARE(twelfth.Lines[2].Name.str(), std::string("1234567890"));
        QCOMPARE(twelfth.Lines[2].Sections[1].L_Begin.str(), std::string("12345678"));
        QCOMPARE(result.sources[0].Lines[1].Name.str(), std::string("1"));
        QCOMPARE(result.sources[2].LineCount(), 0);
    }

    // An identifier of two characters names its source by both: sources 10 to 99.
    void twoCharacterIdentifierNamesSourcesFromTen() {
        QByteArray sources;
        for (int i = 1; i <= 12; ++i)
            sources += sourceRow("S", QString("%1,0,0,0,0\r\n").arg(i));
        DosImportResult result = importSet(sources, " 12,A\r\n");
        QCOMPARE(result.outcome, Outcome::Imported);
        QCOMPARE(result.sources[11].LineCount(), 1);
        QCOMPARE(result.sources[11].Lines[1].Name.str(), std::string("12"));
        QCOMPARE(result.sources[0].LineCount(), 0);
    }

    // The set holds two sources; each of these line files fails the whole import.
    void lineFileFailures_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("two empty rows where a header is due") << QByteArray(" 201,A\r\n\r\n\r\n 202,B\r\n");
        QTest::newRow("empty first row") << QByteArray("\r\n 201,A\r\n");
        QTest::newRow("source number 0") << QByteArray(" 012,A\r\n");
        QTest::newRow("source number beyond the set") << QByteArray(" 301,A\r\n");
        QTest::newRow("identifier not a number") << QByteArray(" 1a01,A\r\n");
        QTest::newRow("header without identifier") << QByteArray(" ,A,1\r\n");
        QTest::newRow("empty length") << QByteArray(" 201,A,,X\r\n");
        QTest::newRow("comma after the end node") << QByteArray(" 201,A\r\nA,B,\r\n");
        QTest::newRow("bad length after a good group") << kLines + "\r\n 101,A,1.5 km\r\n";
    }
    void lineFileFailures() {
        QFETCH(QByteArray, lines);
        DosImportResult result = importSet(kSources, lines);
        QCOMPARE(messagesOf(result), QStringList{kFailed});
        QCOMPARE(result.outcome, Outcome::Failed);
        QVERIFY(result.sources.empty());
    }

    void limits_data() {
        QTest::addColumn<int>("inProject");
        QTest::addColumn<int>("sources");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("sections");
        QTest::addColumn<bool>("imported");
        QTest::newRow("100 sources") << 0 << 100 << 0 << 0 << true;
        QTest::newRow("101 sources") << 0 << 101 << 0 << 0 << false;
        QTest::newRow("40 more for 60") << 60 << 40 << 0 << 0 << true;
        QTest::newRow("40 more for 61") << 61 << 40 << 0 << 0 << false;
        QTest::newRow("100 lines of 100 sections") << 0 << 1 << 100 << 100 << true;
        QTest::newRow("101 lines") << 0 << 1 << 101 << 1 << false;
        QTest::newRow("101 sections") << 0 << 1 << 1 << 101 << false;
    }
    void limits() {
        QFETCH(int, inProject);
        QFETCH(int, sources);
        QFETCH(int, lines);
        QFETCH(int, sections);
        QFETCH(bool, imported);
        QByteArray group = " 1\r\n" + QByteArray("A\r\n").repeated(sections - 1) + "\r\n";
        DosImportResult result =
            importSet(sourceRow("S", "1,0,0,0,0\r\n").repeated(sources), group.repeated(lines), inProject);
        QCOMPARE(result.outcome == Outcome::Imported, imported);
        QCOMPARE(int(result.sources.size()), imported ? sources : 0);
        if (imported && lines > 0)
            QCOMPARE(result.sources[0].Lines[lines].SectionCount(), sections);
    }

    // The first file is the one given; the project is written only on exit code 0.
    void importDosCommand_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("sources");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QByteArray>("counts");
        QTest::newRow("whole set") << QStringList{"NET.IP", "NET.LIN"} << kSources << 0 << ""
                                   << QByteArray("sources: 2, lines: 1, sections: 2, modes: 0\n");
        QTest::newRow("warning") << QStringList{"NET.IP"} << kSources << 0
                                 << "фаил NET.lin не найден.\nБудут импортированы только источники питания.\n"
                                 << QByteArray("sources: 2, lines: 0, sections: 0, modes: 0\n");
        QTest::newRow("refusal") << QStringList{"NET.REG"} << kSources << 1
                                 << "фаил NET.ip не найден.\nЭкспорт невозможен.\n"
                                 << QByteArray();
        QTest::newRow("failure") << QStringList{"NET.LIN", "NET.IP"} << dos("ПС\r\n") << 1 << kFailed + "\n"
                                 << QByteArray();
    }
    void importDosCommand() {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, sources);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QFETCH(QByteArray, counts);
        QTemporaryDir dir;
        for (const QString& file : files)
            writeFile(dir.filePath(file), file.endsWith(".IP") ? sources : kLines);
        QString out = dir.filePath("net.k10");
        Run run = runTool({"import-dos", dir.filePath(files[0]), out});
        QCOMPARE(run.exitCode, exitCode);
        // A failure's message names the file given.
        QCOMPARE(QString::fromUtf8(run.err), exitCode == 1 ? dir.filePath(files[0]) + ": " + err : err);
        QCOMPARE(QFile::exists(out), exitCode == 0);
        if (exitCode == 0)
            QCOMPARE(runTool({"check", out}).out, counts);
        QCOMPARE(runTool({"import-dos", out}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestDosImport)
#include "test_dos_import.moc"
