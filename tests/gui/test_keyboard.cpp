// The keyboard of the main window: the tables' keys and the window's shortcuts run the same menu items as
// the mouse, the keyboard's context menu, and Tab round the tables.

#include "model/project_file.h"
#include "support/scripted_interaction.h"
#include "ui/main_window/form_main.h"
#include "ui/widgets/string_grid.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Two sources; the first with two lines, the first line with two sections, and two modes.
TProect twoOfEverything() {
    TProect p;
    for (const char* name : {"S1", "S2"}) {
        TSource& s = p.Sources.append();
        s.Name = name;
        s.Code = p.SourceCount();
    }
    TSource& first = p.Sources[1];
    for (const char* name : {"101", "102"})
        first.Lines.append().Name = name;
    for (const char* end : {"A1", "A2"})
        first.Lines[1].Sections.append().L_End = end;
    for (const char* begin : {"101", "102"})
        first.ModeWorks.append().L_Begin = begin;
    return p;
}

constexpr int kDoubleClick = 0; // a double-click on the row instead of a key

} // namespace

class TestKeyboard : public QObject, WindowFixture {
    Q_OBJECT


    void openProject() {
        QString path = workspace->path("keys.k10");
        k10::writeProject(path.toStdString(), twoOfEverything());
        user->files.push_back(path);
        ui->N6->trigger();
    }
    StringGrid* grid(const QString& name) { return main->findChild<StringGrid*>(name); }

private slots:
    void init() {
        start();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void keysRunTheirMenuItems_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("item"); // empty: none runs
        struct Table {
            const char* grid;
            const char* add;
            const char* change;
            const char* remove;
        };
        for (const Table& t :
             {Table{"SourceGrid", "Source_Add", "Source_Edit", "Source_Del"},
              Table{"LinesGrid", "N5", "", "N10"}, Table{"LineGrid", "Line_Add", "Line_Edit", "Line_Del"},
              Table{"ModeWorkGrid", "ModeWork_Add", "ModeWork_Edit", "ModeWork_Del"}}) {
            QTest::addRow("%s Enter", t.grid) << t.grid << int(Qt::Key_Return) << 0 << t.change;
            QTest::addRow("%s keypad Enter", t.grid)
                << t.grid << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << t.change;
            QTest::addRow("%s double-click", t.grid) << t.grid << kDoubleClick << 0 << t.change;
            QTest::addRow("%s Insert", t.grid) << t.grid << int(Qt::Key_Insert) << 0 << t.add;
            QTest::addRow("%s Delete", t.grid) << t.grid << int(Qt::Key_Delete) << 0 << t.remove;
            QTest::addRow("%s Ctrl+Delete", t.grid) << t.grid << int(Qt::Key_Delete) << int(Qt::CTRL) << "";
        }
        QTest::newRow("Ctrl+O") << "SourceGrid" << int(Qt::Key_O) << int(Qt::CTRL) << "N6";
        QTest::newRow("Ctrl+S") << "LineGrid" << int(Qt::Key_S) << int(Qt::CTRL) << "N7";
        QTest::newRow("F1") << "ModeWorkGrid" << int(Qt::Key_F1) << 0 << "N12";
    }
    void keysRunTheirMenuItems() {
        QFETCH(QString, table);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, item);
        openProject();
        StringGrid* target = grid(table);
        target->setFocus();
        target->setCurrentCell(1, 0);

        std::vector<std::pair<QString, std::unique_ptr<QSignalSpy>>> spies;
        for (QAction* action : main->findChildren<QAction*>())
            if (!action->objectName().isEmpty())
                spies.emplace_back(action->objectName(),
                                   std::make_unique<QSignalSpy>(action, &QAction::triggered));
        // Whatever runs is cancelled at its dialog.
        user->scripts.push_back([](QDialog&) { return false; });
        user->files.push_back(QString());

        if (key == kDoubleClick) {
            const QPoint row = target->visualRect(target->model()->index(1, 0)).center();
            QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, row);
            QTest::mouseDClick(target->viewport(), Qt::LeftButton, {}, row);
        } else {
            QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }

        QStringList triggered;
        for (const auto& [name, spy] : spies)
            if (!spy->isEmpty())
                triggered << name;
        QCOMPARE(triggered, item.isEmpty() ? QStringList() : QStringList{item});
        QVERIFY(user->errors.isEmpty());
        user->scripts.clear();
        user->files.clear();
    }

    // A refusal reached through a key is the menu item's own.
    void deleteInAnEmptyTableRefusesAsTheMenu() {
        ui->SourceGrid->setFocus();
        QTest::keyClick(ui->SourceGrid, Qt::Key_Delete);
        ui->Source_Del->trigger();
        QCOMPARE(user->messages, QStringList({"Удалять нечего", "Удалять нечего"}));
    }

    void keyboardMenuOpensAtTheCurrentRow_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("menuKey"); // the menu key, else Shift+F10
        QTest::addColumn<QString>("first");
        QTest::newRow("sources, menu key") << "SourceGrid" << true << "Source_Add";
        QTest::newRow("lines, Shift+F10") << "LinesGrid" << false << "N5";
        QTest::newRow("sections, menu key") << "LineGrid" << true << "Line_Add";
        QTest::newRow("modes, Shift+F10") << "ModeWorkGrid" << false << "ModeWork_Add";
    }
    void keyboardMenuOpensAtTheCurrentRow() {
        QFETCH(QString, table);
        QFETCH(bool, menuKey);
        QFETCH(QString, first);
        openProject();
        StringGrid* target = grid(table);
        target->setFocus();
        target->setCurrentCell(1, 0);
        if (menuKey) {
            // As the desktop delivers the menu key to the focused control.
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), target->mapToGlobal(QPoint()));
            QApplication::sendEvent(target, &event);
        } else {
            QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
        }
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->activeAction()->objectName(), first);
        const QRect row = target->visualRect(target->model()->index(1, 0));
        QCOMPARE(menu->pos(), target->viewport()->mapToGlobal(row.center()));
        menu->hide();
    }

    void tabGoesRoundTheTables() {
        const QList<QWidget*> order = {ui->SourceGrid, ui->LinesGrid, ui->LineGrid, ui->ModeWorkGrid};
        ui->SourceGrid->setFocus();
        for (int step = 1; step <= order.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[step % order.size()]);
        }
        for (int step = order.size() - 1; step >= 0; --step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), order[step]);
        }
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
