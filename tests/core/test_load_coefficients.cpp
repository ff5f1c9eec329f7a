// The load coefficient table file koefnagr.dat: the one rule for a value, reading that keeps nothing of a
// bad file, atomic writing, and the committed file that carries the built-in table.

#include "catalogs/load_coefficients.h"
#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace k10;

Q_DECLARE_METATYPE(k10::CoefficientColumn)

namespace {

// A whole table as the file holds it, with one row replaced (row 0: none).
std::string tableWithRow(int code, const std::string& row) {
    std::string text = "comment line\r\n";
    for (int c = 1; c <= 32; ++c)
        text += c == code ? row + "\r\n" : std::to_string(c) + ": 1: 0.5: 0.9: 0.8:\r\n";
    return text;
}

QString refusal(const std::string& bytes) {
    try {
        parseLoadCoefficients(bytes, "koefnagr.dat");
    } catch (const Error& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class TestLoadCoefficients : public QObject {
    Q_OBJECT

private slots:
    void valueRule_data() {
        QTest::addColumn<CoefficientColumn>("column");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("accepted");
        const double inf = std::numeric_limits<double>::infinity();
        for (auto column : {CoefficientColumn::KDay, CoefficientColumn::KEvening}) {
            QTest::newRow("k 0") << column << 0.0 << true;
            QTest::newRow("k 1.5") << column << 1.5 << true;
            QTest::newRow("k above 1.5") << column << 1.5000001 << false;
            QTest::newRow("k negative") << column << -0.01 << false;
            QTest::newRow("k infinite") << column << inf << false;
        }
        for (auto column : {CoefficientColumn::CosDay, CoefficientColumn::CosEvening}) {
            QTest::newRow("cos 1") << column << 1.0 << true;
            QTest::newRow("cos small") << column << 0.01 << true;
            QTest::newRow("cos 0") << column << 0.0 << false;
            QTest::newRow("cos above 1") << column << 1.01 << false;
            QTest::newRow("cos NaN") << column << std::nan("") << false;
        }
    }
    void valueRule() {
        QFETCH(CoefficientColumn, column);
        QFETCH(double, value);
        QFETCH(bool, accepted);
        auto problem = checkLoadCoefficient(7, column, value);
        QCOMPARE(!problem.has_value(), accepted);
        if (problem)
            QVERIFY(problem->starts_with("код 7, "));
    }

    void fileRoundTripAndCommittedFile() {
        LoadCoefficientTable table = builtInLoadCoefficients();
        table.rows[4] = {0.123456789012345, 1.5, 0.05, 1};
        LoadCoefficientTable back = parseLoadCoefficients(serializeLoadCoefficients(table), "t");
        QVERIFY(!back.builtIn);
        QVERIFY(back.rows == table.rows);

        // The committed file holds the built-in values, and `make run` copies it beside the catalogs.
        LoadCoefficientTable committed = readLoadCoefficients(K10_SOURCE_DIR "/data/koefnagr.dat");
        QVERIFY(committed.rows == builtInLoadCoefficients().rows);
        QVERIFY(builtInLoadCoefficients().builtIn);
        QVERIFY(holdsBuiltInValues(committed) && !holdsBuiltInValues(table));
        // It is what the writer writes, its comments in Russian in Windows-1251, which the reader passes.
        const std::string bytes = readWholeFile(K10_SOURCE_DIR "/data/koefnagr.dat");
        QVERIFY(bytes == serializeLoadCoefficients(committed));
        QVERIFY(QString::fromStdString(cp1251ToUtf8(bytes))
                    .contains("Значения предварительные: замените их значениями из руководящих материалов"));
    }

    void handEditedRowsRead_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<double>("cosEvening");
        QTest::newRow("blanks around fields") << "5 :  1 :0.5:0.9 : 0.75 :  " << 0.75;
        QTest::newRow("no blanks") << "5:1:0.5:0.9:0.7:" << 0.7;
    }
    void handEditedRowsRead() {
        QFETCH(QString, row);
        QFETCH(double, cosEvening);
        QCOMPARE(parseLoadCoefficients(tableWithRow(5, row.toStdString()), "t").forCode(5).cosEvening,
                 cosEvening);
    }

    // A bad file is refused whole, with a message naming the file and the row, and the code and the
    // column where a value is out of range.
    void malformedFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QString tail = ". Таблица коэффициентов не прочитана.";
        QTest::newRow("value out of range")
            << QByteArray::fromStdString(tableWithRow(9, "9: 1.6: 1: 0.8: 0.8:"))
            << "Файл koefnagr.dat, строка 10: код 9, коэффициент дневного максимума: значение 1.6 вне "
               "пределов от 0 "
               "до 1,5" +
                   tail;
        QTest::newRow("cos zero") << QByteArray::fromStdString(tableWithRow(3, "3: 1: 1: 0.8: 0:"))
                                  << "Файл koefnagr.dat, строка 4: код 3, cos φ вечернего максимума: "
                                     "значение 0 вне пределов: больше 0 и "
                                     "не больше 1" +
                                         tail;
        QTest::newRow("not a number")
            << QByteArray::fromStdString(tableWithRow(2, "2: 1: 1: 0,8: 1:"))
            << "Файл koefnagr.dat, строка 3: код 2, cos φ дневного максимума: «0,8» не число" + tail;
        QTest::newRow("missing column") << QByteArray::fromStdString(tableWithRow(2, "2: 1: 1: 0.8:"))
                                        << "Файл koefnagr.dat, строка 3: строка должна иметь вид «код: "
                                           "k_день: k_вечер: cos_день: cos_вечер:»" +
                                               tail;
        QTest::newRow("text after the last colon")
            << QByteArray::fromStdString(tableWithRow(2, "2: 1: 1: 0.8: 1: x"))
            << "Файл koefnagr.dat, строка 3: строка должна иметь вид «код: k_день: k_вечер: cos_день: "
               "cos_вечер:»" +
                   tail;
        QTest::newRow("repeated code") << QByteArray::fromStdString(tableWithRow(2, "1: 1: 1: 0.8: 1:"))
                                       << "Файл koefnagr.dat, строка 3: код 1 повторяется" + tail;
        QTest::newRow("code out of range") << QByteArray::fromStdString(tableWithRow(32, "33: 1: 1: 0.8: 1:"))
                                           << "Файл koefnagr.dat, строка 33: код «33» не от 1 до 32" + tail;
        QTest::newRow("missing code") << QByteArray::fromStdString(tableWithRow(32, "; no row 32"))
                                      << "Файл koefnagr.dat: нет строки кода 32" + tail;
    }
    void malformedFilesAreRefused() {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        QCOMPARE(refusal(file.toStdString()), message);
    }

    void writingIsAtomicAndChecked() {
        QTemporaryDir dir;
        std::string path = dir.filePath("koefnagr.dat").toStdString();
        QVERIFY_THROWS_EXCEPTION(Error, readLoadCoefficients(path));
        writeLoadCoefficients(path, builtInLoadCoefficients());
        std::string before = readWholeFile(path);
        LoadCoefficientTable bad = builtInLoadCoefficients();
        bad.rows[10].cosDay = 1.2;
        QVERIFY_THROWS_EXCEPTION(Error, writeLoadCoefficients(path, bad));
        QCOMPARE(readWholeFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"koefnagr.dat"});
    }
};

QTEST_GUILESS_MAIN(TestLoadCoefficients)
#include "test_load_coefficients.moc"
