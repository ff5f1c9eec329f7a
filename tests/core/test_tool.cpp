// The command-line companion, run as a user runs it.

#include "model/project_file.h"
#include "text/file_io.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

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

const QString kSample = K10_SOURCE_DIR "/data/sample.k10";

} // namespace

class TestTool : public QObject {
    Q_OBJECT

private slots:
    void checkPrintsTheCounts() {
        Run run = runTool({"check", kSample});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("sources: 3, lines: 5, sections: 11, modes: 2\n"));
    }

    void checkOfABadFileFailsWithTheMessage() {
        QTemporaryDir dir;
        Run missing = runTool({"check", dir.filePath("none.k10")});
        QCOMPARE(missing.exitCode, 1);
        QCOMPARE(missing.err, (dir.filePath("none.k10") + ": File not found\n").toUtf8());

        QFile bad(dir.filePath("bad.k10"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("1\r\nS\r\n1\r\n10 kV\r\n");
        bad.close();
        Run run = runTool({"check", bad.fileName()});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, (bad.fileName() + ": '10 kV' is not a valid floating point value\n").toUtf8());
    }

    void convertRewritesByteForByte() {
        QTemporaryDir dir;
        QString out = dir.filePath("copy.k10");
        QCOMPARE(runTool({"convert", kSample, out}).exitCode, 0);
        QCOMPARE(k10::readWholeFile(out.toStdString()), k10::readWholeFile(kSample.toStdString()));
    }

    void dumpIsJsonOfTheRecords() {
        Run run = runTool({"dump", kSample});
        QCOMPARE(run.exitCode, 0);
        QJsonParseError error;
        QJsonObject root = QJsonDocument::fromJson(run.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QJsonArray sources = root["Sources"].toArray();
        QCOMPARE(sources.size(), 3);
        QJsonObject first = sources[0].toObject();
        QCOMPARE(first["Name"].toString(), QString("ПС 110/10 кВ Северная"));
        QCOMPARE(first["Code"].toInt(), 1);
        QCOMPARE(first["X_Min"].toDouble(), 1.96);
        QCOMPARE(first["ModeWorks"].toArray()[0].toObject()["Izm_Nagr"].toDouble(), -15.0);
        QJsonObject line = first["Lines"].toArray()[0].toObject();
        QCOMPARE(line["Name"].toString(), QString("101"));
        QJsonObject section = line["Sections"].toArray()[2].toObject();
        QCOMPARE(section["Dlina"].toDouble(), 2.5);
        QCOMPARE(section["Trans"].toString(), QString("ТМ-100"));
        QStringList keys = section.keys();
        keys.sort();
        QCOMPARE(keys, QStringList({"Dlina", "Gr_Nagr", "L_Begin", "L_End", "Max_Nagr", "Provod", "Trans"}));
    }

    void wrongUsageExitsWithTwo_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList({"frobnicate"});
        QTest::newRow("missing file") << QStringList({"check"});
        QTest::newRow("extra argument") << QStringList({"convert", "a", "b", "c"});
    }
    void wrongUsageExitsWithTwo() {
        QFETCH(QStringList, args);
        Run run = runTool(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains("Usage: korvane10-tool"));
    }

    void helpExitsWithZero() {
        Run run = runTool({"--help"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("check FILE.k10"));
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "test_tool.moc"
