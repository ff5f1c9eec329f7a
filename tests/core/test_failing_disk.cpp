// Saving the project and rewriting either catalog on a disk that fails, for real: a file size limit set in
// a child process, a read-only folder, a target that is a folder, a small file system filled up and one
// made read-only. Each time the system's message comes out, the previous file stays byte for byte, and
// no temporary file is left beside it.

#include "catalogs/catalog_files.h"
#include "model/project_file.h"
#include "text/errors.h"
#include "text/file_io.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace k10;

Q_DECLARE_METATYPE(std::function<void(const std::string&)>)

namespace {

using Write = std::function<void(const std::string&)>;

const std::string kPrevious = "the previous file\r\n";

// Contents larger than a page, so that every failure below strikes in the middle of the write.
TProect largeProject() {
    TProect project;
    TSource& source = project.Sources.append();
    source.Name = "S";
    for (int i = 0; i < 20; ++i) {
        TLines& line = source.Lines.append();
        line.Name = std::to_string(i);
        for (int k = 0; k < 50; ++k) {
            TLine& section = line.Sections.append();
            section.Dlina = 1.0 / (k + 3);
            section.Provod = std::string(100, 'P');
        }
    }
    return project;
}

WireCatalog largeWireCatalog() {
    WireCatalog catalog;
    for (int i = 0; i < 100; ++i)
        catalog.append({"AC-" + std::to_string(i), 1.0 / (i + 3), 2.0 / (i + 7), 3.0 / (i + 11), 1, 2});
    return catalog;
}

TransCatalog largeTransCatalog() {
    TransCatalog catalog;
    for (int i = 0; i < 100; ++i)
        catalog.append(
            {"TM-" + std::to_string(i), static_cast<std::uint16_t>(25 * i), 1.0 / (i + 3), 2.0 / (i + 7)});
    return catalog;
}

// The message of the failed write, or "" when it succeeded.
QString messageOf(const Write& write, const std::string& path) {
    try {
        write(path);
        return {};
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
}

// Every entry of a folder, hidden ones included.
QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

void putPrevious(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(kPrevious.data(), qint64(kPrevious.size())), qint64(kPrevious.size()));
}

void expectPreviousKept(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray::fromStdString(kPrevious));
}

// A small file system of its own, mounted over a folder for one test; only root may mount.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString& folder) : folder_(folder.toStdString()) {
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount(folder_.c_str());
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    bool makeReadOnly() {
        return ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

} // namespace

class TestFailingDisk : public QObject {
    Q_OBJECT

private:
    // Each test runs once per writer.
    static void writers() {
        QTest::addColumn<Write>("write");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("project") << Write([](const std::string& path) { writeProject(path, largeProject()); })
                                 << "project.k10";
        QTest::newRow("wire catalog")
            << Write([](const std::string& path) { writeWireCatalog(path, largeWireCatalog()); })
            << WireCatalogFile;
        QTest::newRow("transformer catalog")
            << Write([](const std::string& path) { writeTransCatalog(path, largeTransCatalog()); })
            << TransCatalogFile;
    }

private slots:
    void contentsAreLargerThanAPage() {
        QVERIFY(serializeProject(largeProject()).size() > 16384);
        QVERIFY(serializeWireCatalog(largeWireCatalog()).size() > 5000);
        QVERIFY(serializeTransCatalog(largeTransCatalog()).size() > 5000);
    }

    // A limit of 4 KB on the size of files a child process may write: the write stops part-way with the
    // limit's error, and the signal the limit would raise does not end the program.
    void sizeLimit_data() { writers(); }
    void sizeLimit() {
        QFETCH(Write, write);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        putPrevious(path);

        int pipeEnds[2];
        QVERIFY(::pipe(pipeEnds) == 0);
        pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            rlimit limit{4096, 4096};
            std::string message = ::setrlimit(RLIMIT_FSIZE, &limit) == 0
                                      ? messageOf(write, path.toStdString()).toStdString()
                                      : std::string("setrlimit failed");
            if (::write(pipeEnds[1], message.data(), message.size()) != static_cast<ssize_t>(message.size()))
                ::_exit(2);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        QByteArray message;
        char buffer[512];
        ssize_t got;
        while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
            message.append(buffer, got);
        ::close(pipeEnds[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status),
                 qPrintable(QString("the child ended by signal %1").arg(WTERMSIG(status))));
        QCOMPARE(QString::fromUtf8(message), QString("Disk full"));
        expectPreviousKept(path);
        QCOMPARE(entriesOf(dir.path()), QStringList{fileName});
    }

    void readOnlyFolder_data() { writers(); }
    void readOnlyFolder() {
        QFETCH(Write, write);
        QFETCH(QString, fileName);
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders; the read-only file system below covers root");
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        putPrevious(path);
        QVERIFY(::chmod(dir.path().toLocal8Bit().constData(), 0555) == 0);
        const QString message = messageOf(write, path.toStdString());
        ::chmod(dir.path().toLocal8Bit().constData(), 0755);
        QCOMPARE(message, QString("File access denied"));
        expectPreviousKept(path);
        QCOMPARE(entriesOf(dir.path()), QStringList{fileName});
    }

    // The target's name belongs to a folder: the folder and what it holds stay as they were.
    void targetIsAFolder_data() { writers(); }
    void targetIsAFolder() {
        QFETCH(Write, write);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        QVERIFY(QDir(dir.path()).mkdir(fileName));
        putPrevious(path + "/inside");
        QCOMPARE(messageOf(write, path.toStdString()), QString("File access denied"));
        QVERIFY(QFileInfo(path).isDir());
        expectPreviousKept(path + "/inside");
        QCOMPARE(entriesOf(path), QStringList{"inside"});
        QCOMPARE(entriesOf(dir.path()), QStringList{fileName});
    }

    // A file system of 64 KB filled to its last page: the write runs out of room part-way.
    void fullFileSystem_data() { writers(); }
    void fullFileSystem() {
        QFETCH(Write, write);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        SmallFileSystem fileSystem(dir.path());
        if (!fileSystem.mounted())
            QSKIP("mounting a small file system needs root");
        const QString path = dir.filePath(fileName);
        putPrevious(path);

        // Fill the file system, then give one page back: the write gets that far and no further.
        const std::string filler = dir.filePath("filler").toStdString();
        int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const std::string block(4096, 'f');
        off_t size = 0;
        ssize_t put;
        while ((put = ::write(fd, block.data(), block.size())) > 0)
            size += put;
        QCOMPARE(errno, ENOSPC);
        QVERIFY(size > 4096);
        QVERIFY(::ftruncate(fd, size - 4096) == 0);
        ::close(fd);

        QCOMPARE(messageOf(write, path.toStdString()), QString("Disk full"));
        expectPreviousKept(path);
        QCOMPARE(entriesOf(dir.path()), QStringList({"filler", fileName}));
    }

    // The same file system made read-only: the write is refused before it starts.
    void readOnlyFileSystem_data() { writers(); }
    void readOnlyFileSystem() {
        QFETCH(Write, write);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        SmallFileSystem fileSystem(dir.path());
        if (!fileSystem.mounted())
            QSKIP("mounting a small file system needs root");
        const QString path = dir.filePath(fileName);
        putPrevious(path);
        QVERIFY(fileSystem.makeReadOnly());
        QCOMPARE(messageOf(write, path.toStdString()), QString("File access denied"));
        expectPreviousKept(path);
        QCOMPARE(entriesOf(dir.path()), QStringList{fileName});
    }
};

QTEST_APPLESS_MAIN(TestFailingDisk)
#include "test_failing_disk.moc"
