// The «Правка» menu: undo and redo of the edits with the tables following them, and the question before
// an unsaved project is dropped by «Выйти», the window's close box or «Открыть».

#include "document/project_commands.h"
#include "document/project_document.h"
#include "model/project_file.h"
#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "ui/main_window/form_main.h"
#include "ui/models/current_place.h"
#include "ui/models/row_formats.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString kQuestion = "Сохранить изменения в проекте?";

TLine section(const std::string& end) {
    TLine s;
    s.L_End = end;
    s.Dlina = 0.5;
    return s;
}

// S1: lines L11 (three sections) and L12 (two), three modes. S2: line L21 (one section), one mode. S3:
// line L31 (one section), no mode.
TProect threeSources() {
    TProect p;
    const int sectionsOf[3][2] = {{3, 2}, {1, 0}, {1, 0}};
    const int modesOf[3] = {3, 1, 0};
    for (int i = 1; i <= 3; ++i) {
        TSource& s = p.Sources.append();
        s.Name = "S" + std::to_string(i);
        s.Code = i;
        for (int l = 1; l <= 2 && sectionsOf[i - 1][l - 1] > 0; ++l) {
            TLines& line = s.Lines.append();
            line.Name = "L" + std::to_string(i) + std::to_string(l);
            for (int k = 1; k <= sectionsOf[i - 1][l - 1]; ++k)
                line.Sections.append(section(line.Name.str() + "-" + std::to_string(k)));
        }
        for (int m = 1; m <= modesOf[i - 1]; ++m)
            s.ModeWorks.append().L_End = "M" + std::to_string(i) + std::to_string(m);
    }
    return p;
}

// The rows of a table, or its one empty row when there are none.
QStringList shownRows(const QStringList& rows, int columns) {
    return rows.isEmpty() ? QStringList({QString(columns - 1, '|')}) : rows;
}

QList<int> rows(const CurrentPlace* place) {
    return {place->source(), place->line(), place->section(), place->mode()};
}

QList<int> currentRows(const MainControls* ui) {
    return {ui->SourceGrid->currentRow(), ui->LinesGrid->currentRow(), ui->LineGrid->currentRow(),
            ui->ModeWorkGrid->currentRow()};
}

} // namespace

class TestHistory : public QObject, WindowFixture {
    Q_OBJECT


    QString write(const TProect& project, const char* name) {
        QString path = workspace->path(name);
        k10::writeProject(path.toStdString(), project);
        return path;
    }
    void open(const TProect& project) {
        user->files.push_back(write(project, "open.k10"));
        ui->N6->trigger();
        user->dialogs.clear();
    }
    void select(const QList<int>& at) {
        ui->SourceGrid->setCurrentCell(at[0], 0);
        ui->LinesGrid->setCurrentCell(at[1], 0);
        ui->LineGrid->setCurrentCell(at[2], 0);
        ui->ModeWorkGrid->setCurrentCell(at[3], 0);
    }
    // Every table shows the records: the sources, and the lines, sections and modes of the current ones.
    void expectTablesShowTheProject() {
        const TProect& p = forms->Document->project();
        QStringList sources;
        for (const TSource& s : p.Sources)
            sources << sourceRow(s).join('|');
        QCOMPARE(gridRows(ui->SourceGrid), sources);
        // A source without lines shows neither sections nor modes.
        const TSource& source = p.Sources[place->source() + 1];
        QStringList lines, sections, modes;
        for (const TLines& l : source.Lines)
            lines << QString::fromStdString(l.Name.str());
        if (source.LineCount() > 0) {
            for (const TLine& s : source.Lines[place->line() + 1].Sections)
                sections << sectionRow(s).join('|');
            for (const TModeWork& m : source.ModeWorks)
                modes << modeRow(m).join('|');
        }
        QCOMPARE(gridRows(ui->LinesGrid), shownRows(lines, 1));
        QCOMPARE(gridRows(ui->LineGrid), shownRows(sections, 7));
        QCOMPARE(gridRows(ui->ModeWorkGrid), shownRows(modes, 8));
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        start();
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    // An edit handed to the document by anyone, not only by the window's own commands, reaches the
    // tables through the one path of the document's notice; the current rows stay valid.
    void tablesFollowEditsFromOutsideTheWindow_data() {
        QTest::addColumn<int>("kind");
        const char* kinds[] = {"add source", "change source", "delete source", "new line",
                               "add section", "change section", "delete section", "delete mode",
                               "delete a line of another source"};
        for (int kind = 0; kind < 9; ++kind)
            QTest::newRow(kinds[kind]) << kind;
    }
    void tablesFollowEditsFromOutsideTheWindow() {
        QFETCH(int, kind);
        open(threeSources());
        select({0, 0, 2, 1});
        ProjectDocument& d = *forms->Document;
        TSource header;
        header.Name = "S9";
        const std::function<std::unique_ptr<ProjectCommand>()> edits[] = {
            [&] { return addSource(d, header); },
            [&] { return changeSource(d, 1, header); },
            [&] { return deleteSource(d, 1); },
            [&] { return newLine(d, 1, TLines{}); },
            [&] { return addSection(d, {1, 1}, section("N")); },
            [&] { return changeSection(d, {1, 1, 3}, section("N")); },
            [&] { return deleteSection(d, {1, 1, 3}); },
            [&] { return deleteMode(d, {.source = 1, .mode = 2}); },
            [&] { return deleteLine(d, {2, 1}); },
        };
        d.apply(edits[kind]());
        expectTablesShowTheProject();
        QCOMPARE(currentRows(ui.get()), rows(place));
        if (kind == 8)
            QCOMPARE(rows(place), QList<int>({0, 0, 2, 1}));
    }

    void editMenuNamesTheStepItWouldTake() {
        auto items = [this] {
            QStringList list;
            for (QAction* a : ui->N17->actions())
                list << a->objectName() + "=" + a->text() + (a->isEnabled() ? "+" : "-");
            return list;
        };
        QCOMPARE(ui->N17->objectName(), QString("N17"));
        QCOMPARE(ui->N17->title(), QString("&Правка"));
        QCOMPARE(ui->N18->shortcuts(), QList<QKeySequence>({QKeySequence("Ctrl+Z")}));
        QCOMPARE(ui->N19->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
        QCOMPARE(items(), QStringList({"N18=Отменить-", "N19=Повторить-"}));
        open(threeSources());
        QCOMPARE(items(), QStringList({"N18=Отменить-", "N19=Повторить-"}));

        ui->Source_Del->trigger();
        ui->ModeWork_Del->trigger();
        QCOMPARE(items(), QStringList({"N18=Отменить: удаление режима+", "N19=Повторить-"}));
        ui->N18->trigger();
        QCOMPARE(items(),
                 QStringList({"N18=Отменить: удаление источника+", "N19=Повторить: удаление режима+"}));
        ui->N18->trigger();
        QCOMPARE(items(), QStringList({"N18=Отменить-", "N19=Повторить: удаление источника+"}));
        QVERIFY(forms->Document->project() == threeSources());
        // Open starts a new history.
        ui->N19->trigger();
        user->saveAnswers.push_back(Interaction::Answer::No);
        open(threeSources());
        QCOMPARE(items(), QStringList({"N18=Отменить-", "N19=Повторить-"}));
    }

    // After undo and redo the tables show the project as it now is, the record that changed current, or
    // the nearest one where it is gone; the selection made in between does not matter.
    void undoAndRedoShowTheChangedRecord_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<int>>("at"); // source, line, section, mode rows when the edit is made
        QTest::addColumn<QList<int>>("undone");
        QTest::addColumn<QList<int>>("redone");
        using L = QList<int>;
        QTest::newRow("add a source") << "Source_Add" << L{1, 0, 0, 0} << L{2, 0, 0, 0} << L{3, 0, 0, 0};
        QTest::newRow("change a source") << "Source_Edit" << L{1, 0, 0, 0} << L{1, 0, 0, 0} << L{1, 0, 0, 0};
        QTest::newRow("delete a source") << "Source_Del" << L{1, 0, 0, 0} << L{1, 0, 0, 0} << L{1, 0, 0, 0};
        QTest::newRow("delete the last source")
            << "Source_Del" << L{2, 0, 0, 0} << L{2, 0, 0, 0} << L{1, 0, 0, 0};
        QTest::newRow("new line") << "N5" << L{0, 1, 0, 0} << L{0, 1, 0, 0} << L{0, 2, 0, 0};
        QTest::newRow("delete a line") << "N10" << L{0, 1, 0, 0} << L{0, 1, 0, 0} << L{0, 0, 0, 0};
        QTest::newRow("add a section") << "Line_Add" << L{0, 1, 0, 0} << L{0, 1, 1, 0} << L{0, 1, 2, 0};
        QTest::newRow("insert a section") << "N15" << L{0, 0, 2, 0} << L{0, 0, 2, 0} << L{0, 0, 2, 0};
        QTest::newRow("change a section") << "Line_Edit" << L{0, 0, 1, 0} << L{0, 0, 1, 0} << L{0, 0, 1, 0};
        QTest::newRow("delete a section") << "Line_Del" << L{0, 1, 1, 0} << L{0, 1, 1, 0} << L{0, 1, 0, 0};
        QTest::newRow("add a mode") << "ModeWork_Add" << L{1, 0, 0, 0} << L{1, 0, 0, 0} << L{1, 0, 0, 1};
        QTest::newRow("change a mode") << "ModeWork_Edit" << L{0, 0, 0, 1} << L{0, 0, 0, 1} << L{0, 0, 0, 1};
        QTest::newRow("delete a mode") << "ModeWork_Del" << L{0, 0, 0, 2} << L{0, 0, 0, 2} << L{0, 0, 0, 1};
    }
    void undoAndRedoShowTheChangedRecord() {
        QFETCH(QString, action);
        QFETCH(QList<int>, at);
        QFETCH(QList<int>, undone);
        QFETCH(QList<int>, redone);
        open(threeSources());
        select(at);
        QCOMPARE(rows(place), at);
        // Every dialog is answered with OK as it was filled.
        user->scripts.push_back([](QDialog&) { return true; });
        main->findChild<QAction*>(action)->trigger();
        const bool dialogRun = !user->dialogs.isEmpty();
        if (!dialogRun)
            user->scripts.clear();
        QVERIFY(user->messages.isEmpty());
        QVERIFY(ui->N18->isEnabled());
        const TProect edited = forms->Document->project();

        select({2, 0, 0, 0});
        ui->N18->trigger();
        QVERIFY(forms->Document->project() == threeSources());
        QCOMPARE(rows(place), undone);
        QCOMPARE(currentRows(ui.get()), undone);
        expectTablesShowTheProject();

        select({2, 0, 0, 0});
        ui->N19->trigger();
        QVERIFY(forms->Document->project() == edited);
        QCOMPARE(rows(place), redone);
        QCOMPARE(currentRows(ui.get()), redone);
        expectTablesShowTheProject();
    }

    // «Выйти», the close box and «Открыть» ask before an unsaved change is dropped, and each answer does
    // what it says; a Save that is cancelled or fails keeps the window and the project as they were.
    void unsavedChangesAreAskedFor_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("state");  // "saved", "edited", "undone": edited and undone again
        QTest::addColumn<int>("answer");     // Interaction::Answer, or -1 when no question is due
        QTest::addColumn<QString>("saveAs"); // the file the save dialog is answered with
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QStringList>("errors");
        const int yes = int(Interaction::Answer::Yes), no = int(Interaction::Answer::No),
                  cancel = int(Interaction::Answer::Cancel);
        for (const char* trigger : {"exit", "close box", "open"}) {
            auto row = [&](const char* name) -> QTestData& {
                return QTest::addRow("%s: %s", trigger, name) << QString(trigger);
            };
            row("nothing changed") << "saved" << -1 << "" << true << QStringList();
            row("undone to the saved state") << "undone" << -1 << "" << true << QStringList();
            row("yes, saved") << "edited" << yes << "saved.k10" << true << QStringList();
            row("yes, save cancelled") << "edited" << yes << "" << false << QStringList();
            row("yes, save failed") << "edited" << yes << "no/such/folder/saved.k10" << false
                                    << QStringList({"File not found"});
            row("no") << "edited" << no << "" << true << QStringList();
            row("cancel") << "edited" << cancel << "" << false << QStringList();
        }
    }
    void unsavedChangesAreAskedFor() {
        QFETCH(QString, trigger);
        QFETCH(QString, state);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, goesOn);
        QFETCH(QStringList, errors);
        open(threeSources());
        if (state != "saved")
            ui->Source_Del->trigger();
        if (state == "undone")
            ui->N18->trigger();
        const TProect before = forms->Document->project();
        TProect other;
        other.Sources.append().Name = "Other";

        QStringList dialogs;
        if (answer >= 0)
            user->saveAnswers.push_back(Interaction::Answer(answer));
        if (answer == int(Interaction::Answer::Yes)) {
            user->files.push_back(saveAs.isEmpty() ? QString() : workspace->path(saveAs));
            dialogs << "SaveProjectDialog1";
        }
        if (trigger == "open" && goesOn) {
            user->files.push_back(write(other, "other.k10"));
            dialogs << "OpenProjectDialog1";
        }

        if (trigger == "exit")
            ui->N9->trigger();
        else if (trigger == "close box")
            main->close();
        else
            ui->N6->trigger();

        QCOMPARE(user->questions, answer >= 0 ? QStringList({kQuestion}) : QStringList());
        QCOMPARE(user->dialogs, dialogs);
        QCOMPARE(user->errors, errors);
        if (trigger == "open")
            QVERIFY(forms->Document->project() == (goesOn ? other : before));
        else {
            QCOMPARE(main->isVisible(), !goesOn);
            QVERIFY(forms->Document->project() == before);
        }
        const bool saved = answer == int(Interaction::Answer::Yes) && goesOn;
        QCOMPARE(QFile::exists(workspace->path("saved.k10")), saved);
        if (saved)
            QVERIFY(k10::readProject(workspace->path("saved.k10").toStdString()) == before);
        const bool dropped = trigger == "open" && goesOn;
        QCOMPARE(forms->Document->isModified(), state == "edited" && !saved && !dropped);
    }

    // A catalog change is written at once: it leaves nothing unsaved to ask about.
    void catalogEditIsNoUnsavedChange() {
        open(threeSources());
        forms->Document->change<k10::WireCatalog>([](k10::WireCatalog& c) { c.remove(1); });
        forms->Document->write<k10::WireCatalog>();
        ui->N9->trigger();
        QVERIFY(user->questions.isEmpty());
        QVERIFY(!main->isVisible());
    }

    // The real question box on the real window: titled and worded as the user sees it, «Да» the default;
    // «Отмена» keeps the window, «Нет» closes it. The edit before it is undone with Ctrl+Z and redone with
    // Ctrl+Y.
    void realQuestionBoxOnExit() {
        open(threeSources());
        ui->Source_Del->trigger();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QTest::keyClick(main, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(forms->Document->project() == threeSources());
        QTest::keyClick(main, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(forms->Document->project().SourceCount(), 2);

        user->desktop = true; // the desktop's own boxes from here on
        QString title, text, defaultButton;
        QStringList buttons;
        for (const char* press : {"Отмена", "Нет"}) {
            QTimer::singleShot(0, [&, press] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                title = box->windowTitle();
                text = box->text();
                defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
                buttons.clear();
                for (QAbstractButton* b : box->buttons())
                    buttons << b->text();
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == press)
                        return b->click();
                box->reject();
            });
            ui->N9->trigger();
            QCOMPARE(main->isVisible(), QString(press) == "Отмена");
        }
        user->desktop = false;
        QCOMPARE(title, QString("Korvane10 DEMO"));
        QCOMPARE(text, kQuestion);
        QCOMPARE(defaultButton, QString("Да"));
        buttons.sort();
        QCOMPARE(buttons, QStringList({"Да", "Нет", "Отмена"}));
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
