// A project file read block by block, however small the blocks, gives what the same bytes give when read
// whole: the same project, or the same refusal.

#include "model/project_file.h"
#include "text/errors.h"
#include "text/file_io.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <string>

using namespace k10;

namespace {

// The written project, or the message of the refusal.
std::string outcome(const std::function<TProect()>& read) {
    try {
        return "project:\n" + serializeProject(read());
    } catch (const Error& error) {
        return std::string("refused: ") + error.what();
    }
}

std::string sample() {
    return readWholeFile(K10_SOURCE_DIR "/data/sample.k10");
}

} // namespace

class TestBlockReading : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    void compare(const std::string& bytes) {
        // A new file each time: truncating one would make the file system flush it to the disk.
        QFile::remove(dir.filePath("file.k10"));
        QFile file(dir.filePath("file.k10"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        std::string path = file.fileName().toStdString();
        std::string whole = outcome([&] { return parseProject(bytes); });
        for (std::size_t block : {1, 2, 3, 7, 64, 4096})
            QCOMPARE(outcome([&] { return readProject(path, block); }), whole);
    }

private slots:
    void everyCutOfTheSample() {
        std::string bytes = sample();
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
            compare(bytes.substr(0, cut));
    }

    void lineEndsAndBlanksAnywhere_data() {
        QTest::addColumn<QByteArray>("inserted");
        QTest::addRow("LF") << QByteArray("\n");
        QTest::addRow("CR") << QByteArray("\r");
        QTest::addRow("CR LF") << QByteArray("\r\n");
        QTest::addRow("blanks") << QByteArray("  \t ");
    }
    void lineEndsAndBlanksAnywhere() {
        QFETCH(QByteArray, inserted);
        std::string bytes = sample();
        for (std::size_t at = 0; at <= bytes.size(); at += 5) {
            std::string edited = bytes;
            edited.insert(at, inserted.toStdString());
            compare(edited);
        }
    }

    void lineEndsWithoutCarriageReturns() {
        std::string bytes;
        for (char c : sample())
            if (c != '\r')
                bytes += c;
        compare(bytes);
    }

    void lineLongerThanEveryBlock() {
        std::string bytes = sample();
        bytes.insert(bytes.find('\n') + 1, std::string(100000, 'A'));
        compare(bytes);
    }
};

QTEST_APPLESS_MAIN(TestBlockReading)
#include "test_block_reading.moc"
