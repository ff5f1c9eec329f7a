// The document: every edit as a command of the history, undo and redo back to the same bytes, the
// unsaved state, and the reference catalogs beside the project.

#include "document/project_commands.h"
#include "document/project_document.h"
#include "model/project_file.h"
#include "text/errors.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <random>

namespace {

// Texts of every kind, from a small alphabet with Cyrillic letters (Windows-1251).
std::string text(std::mt19937& random, std::size_t longest) {
    static const std::string letters = "AB12-\xc0\xc1\xc2\xe0\xe1";
    std::string result(std::uniform_int_distribution<std::size_t>(0, longest)(random), ' ');
    for (char& c : result)
        c = letters[std::uniform_int_distribution<std::size_t>(0, letters.size() - 1)(random)];
    return result;
}

double number(std::mt19937& random) {
    return std::uniform_int_distribution<int>(-4000, 4000)(random) / 8.0;
}

TLine sectionOf(std::mt19937& random) {
    TLine s;
    s.L_Begin = text(random, 10);
    s.L_End = text(random, 10);
    s.Dlina = number(random);
    s.Provod = text(random, 12);
    s.Max_Nagr = text(random, 5);
    s.Gr_Nagr = text(random, 2);
    s.Trans = text(random, 9);
    return s;
}

TModeWork modeOf(std::mt19937& random) {
    TModeWork m;
    m.L_Begin = text(random, 10);
    m.L_End = text(random, 10);
    m.Uzel_Begin = text(random, 6);
    m.Uzel_End = text(random, 6);
    m.Dlina = number(random);
    m.Provod = text(random, 9);
    m.Uzel_Off = text(random, 4);
    m.Izm_Nagr = number(random);
    return m;
}

TLines lineOf(std::mt19937& random, int sections) {
    TLines line;
    line.Name = text(random, 12);
    for (int k = 0; k < sections; ++k)
        line.Sections.append(sectionOf(random));
    return line;
}

TSource sourceOf(std::mt19937& random, int lines, int modes) {
    TSource s;
    s.Name = text(random, 30);
    s.Code = std::uniform_int_distribution<int>(-50, 500)(random);
    s.Napr = number(random);
    s.R_Max = number(random);
    s.X_Max = number(random);
    s.R_Min = number(random);
    s.X_Min = number(random);
    for (int i = 0; i < lines; ++i)
        s.Lines.append(lineOf(random, 1 + i % 3));
    for (int i = 0; i < modes; ++i)
        s.ModeWorks.append(modeOf(random));
    return s;
}

int pick(std::mt19937& random, int count) {
    return std::uniform_int_distribution<int>(1, count)(random);
}

// One edit of a kind on a random place of the project, or nothing when the project holds no such place.
using Edit = std::function<std::unique_ptr<ProjectCommand>(ProjectDocument&, std::mt19937&)>;

std::unique_ptr<ProjectCommand> onSource(ProjectDocument& d, std::mt19937& r,
                                         const std::function<std::unique_ptr<ProjectCommand>(int)>& make) {
    return d.project().SourceCount() ? make(pick(r, d.project().SourceCount())) : nullptr;
}

std::unique_ptr<ProjectCommand>
onLine(ProjectDocument& d, std::mt19937& r,
       const std::function<std::unique_ptr<ProjectCommand>(ProjectPlace)>& make) {
    return onSource(d, r, [&](int s) -> std::unique_ptr<ProjectCommand> {
        int lines = d.project().Sources[s].LineCount();
        return lines ? make({s, pick(r, lines)}) : nullptr;
    });
}

std::unique_ptr<ProjectCommand>
onSection(ProjectDocument& d, std::mt19937& r,
          const std::function<std::unique_ptr<ProjectCommand>(ProjectPlace)>& make) {
    return onLine(d, r, [&](ProjectPlace p) -> std::unique_ptr<ProjectCommand> {
        int sections = d.project().Sources[p.source].Lines[p.line].SectionCount();
        return sections ? make({p.source, p.line, pick(r, sections)}) : nullptr;
    });
}

std::unique_ptr<ProjectCommand>
onMode(ProjectDocument& d, std::mt19937& r,
       const std::function<std::unique_ptr<ProjectCommand>(ProjectPlace)>& make) {
    return onSource(d, r, [&](int s) -> std::unique_ptr<ProjectCommand> {
        int modes = d.project().Sources[s].ModeWorkCount();
        return modes ? make({.source = s, .mode = pick(r, modes)}) : nullptr;
    });
}

const std::vector<Edit>& everyKindOfEdit() {
    static const std::vector<Edit> edits = {
        [](ProjectDocument& d, std::mt19937& r) { return addSource(d, sourceOf(r, 2, 1)); },
        [](ProjectDocument& d, std::mt19937& r) {
            return onSource(d, r, [&](int s) {
                TSource changed = d.project().Sources[s];
                changed.Name = text(r, 20);
                changed.X_Min = number(r);
                return changeSource(d, s, changed);
            });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onSource(d, r, [&](int s) { return deleteSource(d, s); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onSource(d, r, [&](int s) { return newLine(d, s, lineOf(r, 0)); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onLine(d, r, [&](ProjectPlace p) { return deleteLine(d, p); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onLine(d, r, [&](ProjectPlace p) { return addSection(d, p, sectionOf(r)); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onSection(d, r, [&](ProjectPlace p) { return insertSection(d, p, sectionOf(r)); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onSection(d, r, [&](ProjectPlace p) { return changeSection(d, p, sectionOf(r)); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onSection(d, r, [&](ProjectPlace p) { return deleteSection(d, p); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onSource(d, r, [&](int s) { return addMode(d, s, modeOf(r)); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onMode(d, r, [&](ProjectPlace p) { return changeMode(d, p, modeOf(r)); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return onMode(d, r, [&](ProjectPlace p) { return deleteMode(d, p); });
        },
        [](ProjectDocument& d, std::mt19937& r) {
            return importSources(d, {sourceOf(r, 1, 0), sourceOf(r, 0, 2)});
        },
    };
    return edits;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

} // namespace

class TestProjectDocument : public QObject {
    Q_OBJECT

    QTemporaryDir folder;

    QString path(const char* name) const { return folder.filePath(name); }
    void openWritten(ProjectDocument& document, const TProect& project) {
        k10::writeProject(path("start.k10").toStdString(), project);
        document.open(path("start.k10"));
    }

private slots:
    void initTestCase() { QDir::setCurrent(folder.path()); }

    // Random edits of every kind, then undo and redo in a random order: after every step the project is
    // the one that index of the history stands for, and undoing them all saves the very bytes opened.
    void everyEditUndoesExactly_data() {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 7u, 2024u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void everyEditUndoesExactly() {
        QFETCH(unsigned, seed);
        std::mt19937 random(seed);
        TProect start;
        for (int i = 0; i < 4; ++i)
            start.Sources.append(sourceOf(random, 3, 2));
        ProjectDocument document;
        openWritten(document, start);
        const QByteArray opened = fileBytes(path("start.k10"));

        std::vector<std::string> states = {k10::serializeProject(document.project())};
        std::vector<int> used(everyKindOfEdit().size(), 0);
        while (states.size() < 120) {
            std::size_t kind = std::uniform_int_distribution<std::size_t>(0, used.size() - 1)(random);
            std::unique_ptr<ProjectCommand> edit = everyKindOfEdit()[kind](document, random);
            if (!edit)
                continue;
            document.apply(std::move(edit));
            ++used[kind];
            states.push_back(k10::serializeProject(document.project()));
        }
        for (int count : used)
            QVERIFY(count > 0);
        QVERIFY(document.isModified());

        QUndoStack& history = document.history();
        for (int step = 0; step < 400; ++step) {
            bool back = history.canUndo() && (!history.canRedo() || random() % 2);
            back ? history.undo() : history.redo();
            QCOMPARE(k10::serializeProject(document.project()),
                     states[static_cast<std::size_t>(history.index())]);
        }
        while (history.canUndo())
            history.undo();
        QVERIFY(!document.isModified());
        document.save(path("undone.k10"));
        QCOMPARE(fileBytes(path("undone.k10")), opened);
        while (history.canRedo())
            history.redo();
        QCOMPARE(k10::serializeProject(document.project()), states.back());
    }

    // Each kind of edit names itself for «Отменить» and «Повторить», and tells the views which record it
    // touched, the same place for the edit, its undo and its redo.
    void editsNameThemselvesAndTheirPlace_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("mode");
        const char* texts[] = {"добавление источника", "изменение источника", "удаление источника",
                               "новая линия",          "удаление линии",      "добавление участка",
                               "вставка участка",      "изменение участка",   "удаление участка",
                               "добавление режима",    "изменение режима",    "удаление режима",
                               "импорт из DOS"};
        // Places on the project below: the second source has lines 1 and 2, line 2 of two sections, and
        // two modes.
        const int places[][4] = {{3, 0, 0, 0}, {2, 0, 0, 0}, {2, 0, 0, 0}, {2, 3, 0, 0}, {2, 2, 0, 0},
                                 {2, 2, 3, 0}, {2, 2, 2, 0}, {2, 2, 2, 0}, {2, 2, 2, 0}, {2, 0, 0, 3},
                                 {2, 0, 0, 2}, {2, 0, 0, 2}, {3, 0, 0, 0}};
        for (int kind = 0; kind < 13; ++kind)
            QTest::newRow(texts[kind]) << kind << QString::fromUtf8(texts[kind]) << places[kind][0]
                                       << places[kind][1] << places[kind][2] << places[kind][3];
    }
    void editsNameThemselvesAndTheirPlace() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(int, source);
        QFETCH(int, line);
        QFETCH(int, section);
        QFETCH(int, mode);
        std::mt19937 random(5);
        TProect start;
        start.Sources.append(sourceOf(random, 1, 0));
        start.Sources.append(sourceOf(random, 2, 2));
        ProjectDocument document;
        openWritten(document, start);

        const TLine record = sectionOf(random);
        const TModeWork otherMode = modeOf(random);
        std::vector<std::function<std::unique_ptr<ProjectCommand>()>> make = {
            [&] { return addSource(document, sourceOf(random, 0, 0)); },
            [&] { return changeSource(document, 2, sourceOf(random, 0, 0)); },
            [&] { return deleteSource(document, 2); },
            [&] { return newLine(document, 2, lineOf(random, 0)); },
            [&] {
                return deleteLine(document, {2, 2});
            },
            [&] {
                return addSection(document, {2, 2}, record);
            },
            [&] {
                return insertSection(document, {2, 2, 2}, record);
            },
            [&] {
                return changeSection(document, {2, 2, 2}, record);
            },
            [&] {
                return deleteSection(document, {2, 2, 2});
            },
            [&] { return addMode(document, 2, otherMode); },
            [&] { return changeMode(document, {.source = 2, .mode = 2}, otherMode); },
            [&] { return deleteMode(document, {.source = 2, .mode = 2}); },
            [&] { return importSources(document, {sourceOf(random, 1, 1)}); },
        };

        QList<ProjectChange> changes;
        connect(&document, &ProjectDocument::projectChanged, this,
                [&](const ProjectChange& change) { changes << change; });
        document.apply(make[static_cast<std::size_t>(kind)]());
        QCOMPARE(document.history().undoText(), text);
        QVERIFY(document.project() != start);
        document.history().undo();
        QVERIFY(document.project() == start);
        QCOMPARE(document.history().redoText(), text);
        document.history().redo();

        using Cause = ProjectChange::Cause;
        QCOMPARE(changes.size(), 3);
        const Cause causes[] = {Cause::Edit, Cause::Undo, Cause::Redo};
        for (int i = 0; i < 3; ++i) {
            const ProjectChange& c = changes[i];
            QCOMPARE(c.cause, causes[i]);
            QCOMPARE(QList<int>({c.place.source, c.place.line, c.place.section, c.place.mode}),
                     QList<int>({source, line, section, mode}));
        }
    }

    // A source's header changes without its lines and modes, and back; a command whose first run throws
    // is deleted and leaves no step in the history.
    void commandsKeepOnlyWhatTheyNeed() {
        std::mt19937 random(11);
        TProect start;
        start.Sources.append(sourceOf(random, 2, 2));
        ProjectDocument document;
        openWritten(document, start);
        const TSource header = sourceOf(random, 0, 0);
        document.apply(changeSource(document, 1, header));
        const TSource& changed = document.project().Sources[1];
        QCOMPARE(std::string(changed.Name.view()), std::string(header.Name.view()));
        QCOMPARE(changed.X_Min, header.X_Min);
        QVERIFY(changed.Lines == start.Sources[1].Lines && changed.ModeWorks == start.Sources[1].ModeWorks);
        document.history().undo();
        QVERIFY(document.project() == start);

        struct Failing final : ProjectCommand {
            bool* gone;
            Failing(ProjectDocument& d, bool* flag) : ProjectCommand(d, "сбой", ProjectChange::Action::Change), gone(flag) {}
            ~Failing() override { *gone = true; }
            ProjectPlace apply(TProect&) override { throw k10::Error("I/O error 5"); }
            ProjectPlace revert(TProect&) override { return {}; }
        };
        bool gone = false;
        QVERIFY_THROWS_EXCEPTION(k10::Error, document.apply(std::make_unique<Failing>(document, &gone)));
        QVERIFY(gone);
        QCOMPARE(document.history().count(), 1);
        QVERIFY(document.project() == start);
    }

    // The project is unsaved exactly while it differs from the state last opened or saved.
    void modifiedFollowsTheSavedState() {
        ProjectDocument document;
        QVERIFY(!document.isModified());
        document.apply(addSource(document, TSource{}));
        QVERIFY(document.isModified());
        document.history().undo();
        QVERIFY(!document.isModified());
        document.history().redo();
        document.save(path("saved.k10"));
        QVERIFY(!document.isModified());
        QCOMPARE(document.fileName(), path("saved.k10"));
        document.history().undo();
        QVERIFY(document.isModified());
        document.history().redo();
        QVERIFY(!document.isModified());

        // A failed save keeps the project unsaved; a failed open keeps it whole, history included.
        document.apply(deleteSource(document, 1));
        QVERIFY_THROWS_EXCEPTION(k10::Error, document.save(path("no/such/folder/p.k10")));
        QVERIFY(document.isModified());
        QVERIFY_THROWS_EXCEPTION(k10::Error, document.open(path("missing.k10")));
        QCOMPARE(document.history().count(), 2);

        // Opening clears the history.
        document.open(path("saved.k10"));
        QCOMPARE(document.history().count(), 0);
        QVERIFY(!document.isModified());
        QCOMPARE(document.project().SourceCount(), 1);
    }

    // A catalog change goes to its file at once and is no part of the project's history; a catalog whose
    // file was not read refuses every change with its message.
    void catalogsChangeOutsideTheHistory() {
        ProjectDocument document;
        QVERIFY(QFile::copy(K10_SOURCE_DIR "/data/spravt.dat", "spravt.dat"));
        QFile::setPermissions("spravt.dat", QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove("spravp.dat");
        QVERIFY_THROWS_EXCEPTION(k10::Error, document.read<k10::WireCatalog>());
        document.read<k10::TransCatalog>();
        const int count = document.reference<k10::TransCatalog>().data().count();

        QList<Catalog> changed;
        connect(&document, &ProjectDocument::catalogChanged, this, [&](Catalog c) { changed << c; });
        document.change<k10::TransCatalog>([](k10::TransCatalog& c) { c.remove(1); });
        document.write<k10::TransCatalog>();
        QCOMPARE(changed, QList<Catalog>({Catalog::Transformers}));
        QCOMPARE(k10::readTransCatalog("spravt.dat").count(), count - 1);
        QVERIFY(!document.isModified());
        QCOMPARE(document.history().count(), 0);

        try {
            document.change<k10::WireCatalog>([](k10::WireCatalog& c) { c.append(); });
            QFAIL("an unread catalog was changed");
        } catch (const k10::Error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QString::fromUtf8(document.reference<k10::WireCatalog>().unreadMessage()));
        }
        QCOMPARE(document.reference<k10::WireCatalog>().data().count(), 0);
        QCOMPARE(changed.size(), 1);
        QVERIFY(!QFile::exists("spravp.dat"));
    }

    // The coefficient table: built in without a file, and then changeable; read from a good file; a
    // refused file throws the reader's message, keeps the built-in table and refuses every change.
    void coefficientTableFromItsFile_data() {
        QTest::addColumn<QByteArray>("file"); // empty: no file
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("builtIn");
        QTest::newRow("no file") << QByteArray() << true << true;
        QTest::newRow("good file") << QByteArray("file") << true << false;
        QTest::newRow("refused file") << QByteArray("1: 2: 0.5: 0.9: 0.9:\r\n") << false << true;
    }
    void coefficientTableFromItsFile() {
        QFETCH(QByteArray, file);
        QFETCH(bool, read);
        QFETCH(bool, builtIn);
        QFile::remove(k10::LoadCoefficientFile);
        if (file == "file")
            QVERIFY(QFile::copy(K10_SOURCE_DIR "/data/koefnagr.dat", k10::LoadCoefficientFile));
        else if (!file.isEmpty()) {
            QFile bad(k10::LoadCoefficientFile);
            QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write(file) == file.size());
        }
        ProjectDocument document;
        QCOMPARE(document.reference<k10::LoadCoefficientTable>().data(), k10::builtInLoadCoefficients());
        try {
            document.read<k10::LoadCoefficientTable>();
            QVERIFY(read);
        } catch (const k10::Error& error) {
            QVERIFY(!read);
            QVERIFY2(QString(error.what()).contains(k10::LoadCoefficientFile), error.what());
        }
        const ReferenceFile<k10::LoadCoefficientTable>& table = document.reference<k10::LoadCoefficientTable>();
        QCOMPARE(table.wasRead(), read);
        QCOMPARE(table.data().builtIn, builtIn);
        if (!builtIn)
            QCOMPARE(table.data(), k10::readLoadCoefficients(k10::LoadCoefficientFile));

        QSignalSpy changed(&document, &ProjectDocument::coefficientsChanged);
        auto halveFirst = [](k10::LoadCoefficientTable& t) { t.rows[0].kDay /= 2; };
        if (read)
            document.change<k10::LoadCoefficientTable>(halveFirst);
        else
            QVERIFY_THROWS_EXCEPTION(k10::Error, document.change<k10::LoadCoefficientTable>(halveFirst));
        QCOMPARE(changed.size(), read ? 1 : 0);
        QCOMPARE(document.history().count(), 0);
    }

    // All three reference files change in one order: the file first, memory after it. When the file
    // cannot be written the change throws, no view is told, and memory stays as the file is.
    void referenceChangeWritesTheFileFirst_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("writable");
        for (int kind : {0, 1, 2})
            for (bool writable : {true, false})
                QTest::addRow("%s, %s", kind == 0 ? "wires" : kind == 1 ? "transformers" : "coefficients",
                              writable ? "written" : "write fails")
                    << kind << writable;
    }
    void referenceChangeWritesTheFileFirst() {
        QFETCH(int, kind);
        QFETCH(bool, writable);
        const char* name = kind == 0 ? "spravp.dat" : kind == 1 ? "spravt.dat" : k10::LoadCoefficientFile;
        QDir().rmdir(name);
        QFile::remove(name);
        QVERIFY(QFile::copy(QString(K10_SOURCE_DIR "/data/") + name, name));
        QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner);
        ProjectDocument document;
        QSignalSpy catalogs(&document, &ProjectDocument::catalogChanged);
        QSignalSpy coefficients(&document, &ProjectDocument::coefficientsChanged);
        auto changeAndCompare = [&](auto data, auto edit, auto reader) {
            document.read<decltype(data)>();
            const auto before = document.reference<decltype(data)>().data();
            if (!writable) { // a folder in the file's place: the new file cannot be renamed over it
                QVERIFY(QFile::remove(name));
                QVERIFY(QDir().mkdir(name));
                QVERIFY_THROWS_EXCEPTION(k10::Error, document.change<decltype(data)>(edit));
                QVERIFY(document.reference<decltype(data)>().data() == before);
                QDir().rmdir(name);
                return;
            }
            document.change<decltype(data)>(edit);
            QVERIFY(!(document.reference<decltype(data)>().data() == before));
            QVERIFY(reader(name) == document.reference<decltype(data)>().data());
        };
        if (kind == 0)
            changeAndCompare(k10::WireCatalog{}, [](k10::WireCatalog& c) { c.remove(1); }, &k10::readWireCatalog);
        else if (kind == 1)
            changeAndCompare(k10::TransCatalog{}, [](k10::TransCatalog& c) { c.remove(1); },
                             &k10::readTransCatalog);
        else
            changeAndCompare(k10::LoadCoefficientTable{},
                             [](k10::LoadCoefficientTable& t) { t.rows[0].kDay /= 2; }, &k10::readLoadCoefficients);
        QCOMPARE(catalogs.size() + coefficients.size(), writable ? 1 : 0);
    }
};

QTEST_MAIN(TestProjectDocument)
#include "test_project_document.moc"
