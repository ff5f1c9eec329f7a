#include "catalogs/catalog_files.h"
#include "catalogs/load_graph_codes.h"
#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"
#include "text/real_format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <set>

using namespace k10;

namespace {

const QByteArray kWireHeader = "34\r\n:\r\n:------------------------------------------------:\r\n";
const QString kDataDir = K10_SOURCE_DIR "/data";

std::string cp1251(const char* utf8) {
    return *utf8ToCp1251(utf8);
}

std::string bytes(const QByteArray& data) {
    return data.toStdString();
}

// One entry as "name|field|field..." with the name in UTF-8, so a table can state what was read.
QString describe(const TProvoda& w) {
    return QString::fromStdString(cp1251ToUtf8(w.Name.view()) + "|" + formatReal(w.R) + "|" +
                                  formatReal(w.X) + "|" + formatReal(w.Tok) + "|" + std::to_string(w.R_V) +
                                  "|" + std::to_string(w.R_G));
}

QString describe(const TTrans& t) {
    return QString::fromStdString(cp1251ToUtf8(t.Name.view()) + "|" + std::to_string(t.S) + "|" +
                                  formatReal(t.U) + "|" + formatReal(t.dP));
}

template <class Catalog> QStringList describeAll(const Catalog& catalog) {
    QStringList out;
    for (const auto& entry : catalog)
        out << describe(entry);
    return out;
}

QStringList parseAndDescribe(const QString& kind, const QByteArray& file) {
    return kind == "wires" ? describeAll(parseWireCatalog(bytes(file)))
                           : describeAll(parseTransCatalog(bytes(file)));
}

QByteArray reserialize(const QString& kind, const QByteArray& file) {
    return QByteArray::fromStdString(kind == "wires" ? serializeWireCatalog(parseWireCatalog(bytes(file)))
                                                     : serializeTransCatalog(parseTransCatalog(bytes(file))));
}

QByteArray repeatedLine(const QByteArray& line, int times) {
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += line;
    return out;
}

struct Run {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

Run runTool(const QStringList& args, const QString& workingDir = {}) {
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(K10_TOOL, args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

void writeBytes(const QString& path, const QByteArray& data) {
    writeFileAtomically(path.toStdString(), bytes(data));
}

} // namespace

class TestCatalogFiles : public QObject {
    Q_OBJECT

private slots:
    void emptyCatalogsWriteOnlyTheHeader() {
        QCOMPARE(QByteArray::fromStdString(serializeWireCatalog({})), kWireHeader);
        QCOMPARE(serializeTransCatalog({}), std::string());
    }

    void readsEntryLinesOnly_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("header only") << "wires" << kWireHeader << QStringList();
        QTest::newRow("empty transformer file") << "transformers" << QByteArray() << QStringList();
        QTest::newRow("skipped lines between entries")
            << "wires"
            << kWireHeader + "\r\nno colon\r\n:a:1:1:1:1:1:\r\nA:1:2:3:4:5: \r\n   \r\n:\r\nB:1:2:3:4:5: \r\n"
            << QStringList{"A|1|2|3|4|5", "B|1|2|3|4|5"};
        QTest::newRow("line feeds only, last line unended")
            << "transformers" << QByteArray("\nT1:25:4.5:0.6: \nnothing\nT2:40:4.5:0.88:")
            << QStringList{"T1|25|4.5|0.6", "T2|40|4.5|0.88"};
        QTest::newRow("name with blanks, cut to 9; code page 866")
            << "wires" << QByteArray("  \x80\x91-50 long name:1:2:3:4:5:\r\n")
            << QStringList{"  АС-50 l|1|2|3|4|5"};
        QTest::newRow("blanks around reals and inside whole numbers; rest ignored")
            << "wires" << QByteArray("W: 0.5 :1E-3 :  2: 1 2 : - 1 :junk:8:\r\n")
            << QStringList{"W|0.5|0.001|2|12|255"};
        QTest::newRow("regions keep their low 8 bits")
            << "wires" << QByteArray("W:1:1:1:256:300:\r\n") << QStringList{"W|1|1|1|0|44"};
        QTest::newRow("power keeps its low 16 bits")
            << "transformers" << QByteArray("T:70000:1:1:\r\nU:65535:1:1:\r\nV:-1:1:1:\r\n")
            << QStringList{"T|4464|1|1", "U|65535|1|1", "V|65535|1|1"};
    }
    void readsEntryLinesOnly() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, file);
        QFETCH(QStringList, entries);
        QCOMPARE(parseAndDescribe(kind, file), entries);
    }

    void entryLineLayout_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("wire of 51 characters")
            << "wires" << QByteArray("ABC:0.42:0.4:0.2:2:3:")
            << QByteArray("ABC      : 0.42   : 0.4    : 0.2   : 2    : 3    : ");
        QTest::newRow("transformer of 29 characters") << "transformers" << QByteArray("ABCDE:250:4.5:3.7:")
                                                      << QByteArray("ABCDE    : 250 : 4.5 : 3.7 : ");
        QTest::newRow("real longer than its width written whole")
            << "wires" << QByteArray("W:0.123456789:1.5E20:-2.5E-7:255:0:")
            << QByteArray("W        : 0.123456789: 1.5E20 : -2.5E-7: 255  : 0    : ");
        QTest::newRow("power of four digits and more fills its width")
            << "transformers" << QByteArray("T:1000:10.25:12.5:")
            << QByteArray("T        : 1000: 10.25: 12.5: ");
    }
    void entryLineLayout() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, written);
        QByteArray header = kind == "wires" ? kWireHeader : QByteArray();
        QCOMPARE(reserialize(kind, header + entry + "\r\n"), header + written + "\r\n");
    }

    void writeReadWriteIsByteIdentical() {
        WireCatalog wires;
        wires.append({cp1251("АС-70"), 0.42, 0.365, 0.265, 2, 3});
        wires.append({cp1251("ААБ-3х240"), 1e-5, 1.5e20, -2.5e-7, 255, 0});
        wires.append({"", 0, 0, 0, 0, 0});
        TransCatalog trans;
        trans.append({cp1251("ТМ-630"), 630, 5.5, 7.6});
        trans.append({"x", 65535, 0.123456789012345, 0});

        std::string wireFile = serializeWireCatalog(wires);
        WireCatalog wiresBack = parseWireCatalog(wireFile);
        QCOMPARE(describeAll(wiresBack),
                 QStringList({"АС-70    |0.42|0.365|0.265|2|3", "ААБ-3х240|1E-5|1.5E20|-2.5E-7|255|0",
                              "         |0|0|0|0|0"}));
        QCOMPARE(serializeWireCatalog(wiresBack), wireFile);
        QTemporaryDir dir;
        std::string path = dir.filePath(WireCatalogFile).toStdString();
        writeWireCatalog(path, wires);
        QCOMPARE(readWireCatalog(path), wiresBack);

        std::string transFile = serializeTransCatalog(trans);
        TransCatalog transBack = parseTransCatalog(transFile);
        QCOMPARE(describeAll(transBack),
                 QStringList({"ТМ-630   |630|5.5|7.6", "x        |65535|0.123456789012345|0"}));
        QCOMPARE(serializeTransCatalog(transBack), transFile);
    }

    void malformedFilesFail_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QByteArray good = "A:1:1:1:1:1:\r\n";
        QTest::newRow("real not a number") << "wires" << good + "B:x:1:1:1:1:\r\n"
                                           << "'x' is not a valid floating point value";
        QTest::newRow("decimal comma")
            << "wires" << QByteArray("B:1: 1,5 :1:1:1:") << "' 1,5 ' is not a valid floating point value";
        QTest::newRow("sixth colon missing")
            << "wires" << QByteArray("B:1:1:1:1:1") << "'' is not a valid integer value";
        QTest::newRow("fraction as region")
            << "wires" << QByteArray("B:1:1:1:4.5:1:") << "'4.5' is not a valid integer value";
        QTest::newRow("region beyond 32 bits")
            << "wires" << QByteArray("B:1:1:1:4294967296:1:") << "'4294967296' is not a valid integer value";
        QTest::newRow("power with a letter")
            << "transformers" << QByteArray("T: 2 5 0x :4.5:3.7:") << "'250x' is not a valid integer value";
        QTest::newRow("101 wires") << "wires" << kWireHeader + repeatedLine(good, 101)
                                   << "Файл справочника проводов содержит больше 100 записей, а справочник "
                                      "вмещает не более 100. Справочник не прочитан.";
        QTest::newRow("101 transformers")
            << "transformers" << repeatedLine("T:1:1:1:\r\n", 100) + "\r\nnot an entry\r\nT:1:1:1:\r\n"
            << "Файл справочника трансформаторов содержит больше 100 записей, а справочник вмещает не более "
               "100. Справочник не прочитан.";
    }
    void malformedFilesFail() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        try {
            parseAndDescribe(kind, file);
            QFAIL("the file was accepted");
        } catch (const Error& error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
    }

    void hundredEntriesAreRead() {
        QCOMPARE(parseTransCatalog(bytes(repeatedLine("T:1:1:1:\r\n", 100) + "\r\nend\r\n")).count(), 100);
    }

    void writerRefusesWhatWouldReadBackDifferently_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("problem");
        QTest::newRow("colon")
            << "wires" << QByteArray("AC:50") << 1.0
            << "Марка «AC:50» (запись 2 справочника проводов) содержит двоеточие, а в файле "
               "справочника оно разделяет поля";
        QTest::newRow("carriage return")
            << "transformers" << QByteArray("TM\r") << 1.0
            << "Марка «TM» (запись 2 справочника трансформаторов) содержит перевод "
               "строки, а в файле справочника он разделяет записи";
        QTest::newRow("character missing from 866") << "wires" << QByteArray("AC\x88") << 1.0
                                                    << "Марка «AC€» (запись 2 справочника проводов) содержит "
                                                       "символ «€», которого нет в кодировке DOS "
                                                       "(866) файла справочника";
        QTest::newRow("infinite")
            << "transformers" << QByteArray("TM") << HUGE_VAL
            << "Марка «TM» (запись 2 справочника трансформаторов) имеет в поле U значение, "
               "которое не является конечным числом";
    }
    void writerRefusesWhatWouldReadBackDifferently() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, name);
        QFETCH(double, value);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QString path = dir.filePath("catalog.dat");
        writeBytes(path, "old");
        try {
            if (kind == "wires") {
                WireCatalog wires;
                wires.append({"fine", 1, 1, 1, 1, 1});
                wires.append({bytes(name), value, 1, 1, 1, 1});
                writeWireCatalog(path.toStdString(), wires);
            } else {
                TransCatalog trans;
                trans.append({"fine", 1, 1, 1});
                trans.append({bytes(name), 1, value, 1});
                writeTransCatalog(path.toStdString(), trans);
            }
            QFAIL("the catalog was written");
        } catch (const Error& error) {
            QCOMPARE(QString::fromUtf8(error.what()), problem + ". Справочник не записан.");
        }
        QCOMPARE(readWholeFile(path.toStdString()), std::string("old"));
    }

    void defaultCatalogs_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("limit");
        QTest::newRow("wires") << "wires" << WireCatalogFile << 30;
        QTest::newRow("transformers") << "transformers" << TransCatalogFile << 20;
    }
    void defaultCatalogs() {
        QFETCH(QString, kind);
        QFETCH(QString, file);
        QFETCH(int, limit);
        QByteArray data = QByteArray::fromStdString(readWholeFile((kDataDir + "/" + file).toStdString()));
        QCOMPARE(reserialize(kind, data), data);
        QStringList entries = parseAndDescribe(kind, data);
        QVERIFY(!entries.isEmpty() && entries.size() <= limit);
        std::set<QString> names;
        for (const QString& entry : entries) {
            QStringList fields = entry.split('|');
            QVERIFY2(!fields[0].trimmed().isEmpty() && names.insert(fields[0]).second, qPrintable(entry));
            for (int i = 1; i <= 3; ++i)
                QVERIFY2(fields[i].toDouble() > 0, qPrintable(entry));
        }
    }

    void loadGraphCodes() {
        const auto& codes = k10::loadGraphCodes();
        for (std::size_t i = 0; i < codes.size(); ++i) {
            QCOMPARE(codes[i].code, int(i) + 1);
            QVERIFY(utf8ToCp1251(codes[i].description).value_or("").size() > 10);
        }
        QCOMPARE(QString(codes[23].description), QString("1-сменные -   сезонные по"));
        QCOMPARE(QString(codes[24].description), QString("2-сменные  >  переработке"));
        QCOMPARE(QString(codes[25].description), QString("3-сменные -   сельхозпродукции"));
    }

    void toolPrintsCatalogJson() {
        QTemporaryDir dir;
        writeBytes(dir.filePath(WireCatalogFile), kWireHeader + "\x80\x91-50:0.592:0.376:0.21:2:3:\r\n");
        writeBytes(dir.filePath(TransCatalogFile), "T:250:4.5:3.7:\r\n");
        Run wires = runTool({"catalog", "wires", dir.path()});
        QCOMPARE(wires.exitCode, 0);
        QCOMPARE(QString::fromUtf8(wires.out),
                 QString("[\n  {\n    \"Name\": \"АС-50\",\n    \"R\": 0.592,\n"
                         "    \"X\": 0.376,\n    \"Tok\": 0.21,\n    \"R_V\": 2,\n"
                         "    \"R_G\": 3\n  }\n]\n"));
        Run trans = runTool({"catalog", "transformers"}, dir.path());
        QCOMPARE(trans.exitCode, 0);
        QCOMPARE(
            trans.out,
            QByteArray(
                "[\n  {\n    \"Name\": \"T\",\n    \"S\": 250,\n    \"U\": 4.5,\n    \"dP\": 3.7\n  }\n]\n"));

        Run defaults = runTool({"catalog", "wires", kDataDir + "/"});
        QCOMPARE(defaults.exitCode, 0);
        QCOMPARE(defaults.out, runTool({"catalog", "wires"}, kDataDir).out);
        QJsonArray list = QJsonDocument::fromJson(defaults.out).array();
        QCOMPARE(int(list.size()),
                 parseWireCatalog(readWholeFile((kDataDir + "/spravp.dat").toStdString())).count());
        QCOMPARE(list[0].toObject().keys(), QStringList({"Name", "R", "R_G", "R_V", "Tok", "X"}));
    }

    void toolCatalogFailures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");
        QTest::newRow("unknown kind")
            << QStringList{"catalog", "cables"} << 2 << "korvane10-tool: wrong usage";
        QTest::newRow("extra argument")
            << QStringList{"catalog", "wires", ".", "x"} << 2 << "korvane10-tool: wrong usage";
        QTest::newRow("missing file")
            << QStringList{"catalog", "transformers", "/nonexistent"} << 1
            << "/nonexistent/spravt.dat: File not found";
        QTest::newRow("malformed file")
            << QStringList{"catalog", "transformers", "bad"} << 1
            << "bad/spravt.dat: 'x' is not a valid integer value";
    }
    void toolCatalogFailures() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("bad");
        writeBytes(dir.filePath("bad/spravt.dat"), "T:x:1:1:\r\n");
        Run run = runTool(args, dir.path());
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(QString::fromUtf8(run.err).section('\n', 0, 0), err);
    }
};

QTEST_GUILESS_MAIN(TestCatalogFiles)
#include "test_catalog_files.moc"
