#include "model/project_file.h"
#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <string>

using namespace k10;

namespace {

std::string cp1251(const char* utf8) { return *utf8ToCp1251(utf8); }

// A project that uses every field, with Cyrillic texts and reals of every notation.
TProect fullProject() {
    TProect project;
    TSource& first = project.Sources.append();
    first.Name = cp1251("ПС 110/10 кВ Северная");
    first.Code = 17;
    first.Napr = 10;
    first.R_Max = 0.35;
    first.X_Max = 1.5e20;
    first.R_Min = -2.5e-7;
    first.X_Min = 0.0001;
    TModeWork& mode = first.ModeWorks.append();
    mode.L_Begin = "101";
    mode.L_End = cp1251("Линия-2");
    mode.Uzel_Begin = cp1251("Узел 1");
    mode.Uzel_End = cp1251("Узел 2");
    mode.Dlina = 2.5;
    mode.Provod = cp1251("АС-50");
    mode.Uzel_Off = "7";
    mode.Izm_Nagr = -15;
    TLines& line = first.Lines.append();
    line.Name = "101";
    TLine& section = line.Sections.append();
    section.L_Begin = "101";
    section.L_End = cp1251("Т-1");
    section.Dlina = 1.25;
    section.Provod = cp1251("АС-70");
    section.Max_Nagr = "250";
    section.Gr_Nagr = "17";
    section.Trans = cp1251("ТМ-250");
    first.Lines.append().Name = "102";

    TSource& second = project.Sources.append();
    second.Name = std::string(50, 'x');
    second.Code = -3;
    return project;
}

void expectError(std::string_view bytes, const QString& message) {
    try {
        parseProject(bytes);
        QFAIL("the file was accepted");
    } catch (const Error& error) {
        QCOMPARE(QString::fromUtf8(error.what()), message);
    }
}

} // namespace

class TestProjectFile : public QObject {
    Q_OBJECT

private slots:
    // Saving over a file keeps the permissions the user gave it.
    void savedFileKeepsThePermissionsItReplaces() {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.k10");
        writeProject(path.toStdString(), TProect{});
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, permissions));
        writeProject(path.toStdString(), fullProject());
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), permissions);
    }

    void emptyProjectIsTheLineZero() {
        QCOMPARE(serializeProject(TProect{}), std::string("0\r\n"));
        QCOMPARE(parseProject("0\r\n").SourceCount(), 0);
        QCOMPARE(parseProject("0").SourceCount(), 0);
    }

    void layoutOfOneSourceOneModeOneSection() {
        TProect project;
        TSource& s = project.Sources.append();
        s.Name = "S";
        s.Code = 1;
        s.Napr = 10;
        TModeWork& m = s.ModeWorks.append();
        m.L_Begin = "a";
        m.Dlina = 0.5;
        TLines& l = s.Lines.append();
        l.Name = "101";
        l.Sections.append().Dlina = 1e-5;
        QCOMPARE(serializeProject(project),
                 std::string("1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n"
                             "1\r\na\r\n\r\n\r\n\r\n0.5\r\n\r\n\r\n0\r\n"
                             "1\r\n101\r\n1\r\n\r\n\r\n1E-5\r\n\r\n\r\n\r\n\r\n"));
    }

    void writeReadWriteIsByteIdentical() {
        TProect project = fullProject();
        std::string bytes = serializeProject(project);
        TProect back = parseProject(bytes);
        QVERIFY(back == project);
        QCOMPARE(serializeProject(back), bytes);
    }

    void linesEndingInLfAloneReadTheSame() {
        std::string bytes = serializeProject(fullProject());
        std::string lf;
        for (char c : bytes)
            if (c != '\r')
                lf += c;
        QVERIFY(parseProject(lf) == fullProject());
    }

    void readsTheCommittedSample() {
        TProect project = readProject(K10_SOURCE_DIR "/data/sample.k10");
        QCOMPARE(project.SourceCount(), 3);
        QCOMPARE(cp1251ToUtf8(project.Sources[1].Name.view()), std::string("ПС 110/10 кВ Северная"));
        QCOMPARE(project.Sources[1].LineCount(), 3);
        QCOMPARE(project.Sources[1].Lines[1].SectionCount(), 3);
        QCOMPARE(project.Sources[1].ModeWorkCount(), 2);
        QCOMPARE(serializeProject(project), readWholeFile(K10_SOURCE_DIR "/data/sample.k10"));
    }

    // Hand-edited files: the reading rule of each kind of value.
    void longNameKeepsFiftyAndNextValueFollows() {
        std::string file = "1\r\n" + std::string(60, 'N') + "\r\n5\r\n10\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
        TProect project = parseProject(file);
        QCOMPARE(project.Sources[1].Name.str(), std::string(50, 'N'));
        QCOMPARE(project.Sources[1].Code, 5);
    }

    void sectionLengthWithUnitReadsTheNumber() {
        std::string file = "1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n101\r\n1\r\n"
                           "a\r\nb\r\n1.5 km\r\nP\r\nM\r\nG\r\nT\r\n";
        TProect project = parseProject(file);
        QCOMPARE(project.Sources[1].Lines[1].Sections[1].Dlina, 1.5);
        QCOMPARE(project.Sources[1].Lines[1].Sections[1].Trans, std::string("T"));
    }

    void integersSkipBlanksAndEmptyLines() {
        TProect project = parseProject("\r\n  1  rest\r\nS\r\n\t7\r\n10\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
        QCOMPARE(project.Sources[1].Code, 7);
    }

    void sourceVoltageWithUnitFails() {
        expectError("1\r\nS\r\n1\r\n10 kV\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n",
                    "'10 kV' is not a valid floating point value");
    }

    void emptySourceRealFails() {
        expectError("1\r\nS\r\n1\r\n\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", "'' is not a valid floating point value");
    }

    void badIntegerFails() {
        expectError("x\r\n", "Invalid numeric input");
        expectError("1\r\nS\r\n1.5\r\n", "Invalid numeric input");
        expectError("1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n1\r\na\r\nb\r\nc\r\nd\r\nlong\r\n", "Invalid numeric input");
    }

    void countAboveHundredIsRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("sources") << "101\r\n" << "В файле слишком много источников питания: 101 (допускается не более 100). Проект не открыт.";
        QTest::newRow("modes") << "1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n2147483647\r\n"
                               << "В файле слишком много режимов работы: 2147483647 (допускается не более 100). Проект не открыт.";
        QTest::newRow("lines") << "1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n0\r\n500\r\n"
                               << "В файле слишком много линий: 500 (допускается не более 100). Проект не открыт.";
        QTest::newRow("sections") << "1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n101\r\n101\r\n"
                                  << "В файле слишком много участков линии: 101 (допускается не более 100). Проект не открыт.";
    }
    void countAboveHundredIsRefused() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        expectError(file.toStdString(), message);
    }

    void negativeCountReadsAsEmpty() {
        TProect project = parseProject("1\r\nS\r\n1\r\n10\r\n0\r\n0\r\n0\r\n0\r\n-2147483648\r\n-1\r\n");
        QCOMPARE(project.SourceCount(), 1);
        QCOMPARE(project.Sources[1].ModeWorkCount(), 0);
        QCOMPARE(project.Sources[1].LineCount(), 0);
    }

    // A file that ends before its announced records is refused, wherever it ends.
    void truncatedFileIsRefused() {
        const QString incomplete =
            "Файл проекта неполон: он кончается раньше, чем записи, которые объявлены в нём. Проект не открыт.";
        std::string bytes = serializeProject(fullProject());
        int cuts = 0;
        for (std::size_t cut = 0; cut + 2 < bytes.size(); ++cut) {
            if (cut > 0 && bytes[cut - 1] != '\n')
                continue;
            ++cuts;
            try {
                parseProject(bytes.substr(0, cut));
                QFAIL(qPrintable(QString("accepted a file cut at byte %1").arg(cut)));
            } catch (const Error& error) {
                QCOMPARE(QString::fromUtf8(error.what()), incomplete);
            }
        }
        QCOMPARE(cuts, 38);
    }

    void missingLastLineBreakIsAccepted() {
        // The last value is the second source's line count, written without its line break.
        std::string bytes = serializeProject(fullProject());
        QVERIFY(parseProject(bytes.substr(0, bytes.size() - 2)) == fullProject());
        // The last value is a section's transformer.
        TProect withText = fullProject();
        withText.Sources[2].Lines.append().Sections.append().Trans = "T";
        std::string last = serializeProject(withText);
        QVERIFY(parseProject(last.substr(0, last.size() - 2)) == withText);
    }

    // An empty last text is nothing but its line break. Without it, the file cannot be told from a file
    // that lost its last line, a non-empty transformer name, so both are refused.
    void missingLastLineIsRefused() {
        TProect withEmptyText = fullProject();
        withEmptyText.Sources[2].Lines.append().Sections.append();
        std::string emptyLast = serializeProject(withEmptyText);
        TProect withText = fullProject();
        withText.Sources[2].Lines.append().Sections.append().Trans = "T";
        std::string textLast = serializeProject(withText);
        QCOMPARE(emptyLast.substr(0, emptyLast.size() - 2), textLast.substr(0, textLast.size() - 3));
        expectError(emptyLast.substr(0, emptyLast.size() - 2),
                    "Файл проекта неполон: он кончается раньше, чем записи, которые объявлены в нём. Проект не "
                    "открыт.");
    }

    void textWithLineBreakIsNotWritten() {
        TProect project = fullProject();
        project.Sources[1].Lines[1].Sections[1].Provod = "a\nb";
        try {
            serializeProject(project);
            QFAIL("a text with a line break was written");
        } catch (const Error& error) {
            QVERIFY(QString::fromUtf8(error.what()).contains("перевод строки"));
        }
    }

    void fileErrorsCarryTheSystemMessages() {
        QTemporaryDir dir;
        try {
            readProject(dir.filePath("missing.k10").toStdString());
            QFAIL("a missing file was read");
        } catch (const Error& error) {
            QCOMPARE(QString(error.what()), QString("File not found"));
        }
        try {
            writeProject(dir.filePath("no/such/folder.k10").toStdString(), fullProject());
            QFAIL("wrote into a missing folder");
        } catch (const Error& error) {
            QCOMPARE(QString(error.what()), QString("File not found"));
        }
        try {
            writeProject(dir.path().toStdString(), fullProject());
            QFAIL("wrote over a folder");
        } catch (const Error& error) {
            QCOMPARE(QString(error.what()), QString("File access denied"));
        }
    }

    void saveReplacesTheFileWhole() {
        QTemporaryDir dir;
        std::string path = dir.filePath("p.k10").toStdString();
        writeProject(path, fullProject());
        writeProject(path, TProect{});
        QCOMPARE(readWholeFile(path), std::string("0\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_APPLESS_MAIN(TestProjectFile)
#include "test_project_file.moc"
