// Operating modes: Add, Change and Delete from the modes table's menu, the mode dialog, and the Calculate
// check, on the real window and dialog.

#include "model/project_file.h"
#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "text/codepage.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/records/tf_modework.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kAddNoSource = "Необходимо ввести источник питания";
const QString kAddNoLine = "Необходимо ввести линию для данного источника";
const QString kAddNoSection = "Необходимо ввести описание линии для данного источника";
const QString kNoSource = "Необходимо сначала создать источник питания";
const QString kNoMode = "Необходимо сначала создать режим работы";
const QString kNoData = "Недостаточно данных для расчета";
const QString kFull = "Для данного источника уже введено 100 режимов работы. Новый режим добавить нельзя";

// The Calculate message: its two lines joined by one carriage return.
QString notEnough(const QString& second) {
    return kNoData + "\r" + second;
}

std::string cp(const char* utf8) {
    return *k10::utf8ToCp1251(utf8);
}

TModeWork mode(const char* from, const char* to, const char* begin, const char* end, double length,
               const char* wire, const char* off, double change) {
    TModeWork m;
    m.L_Begin = cp(from);
    m.L_End = cp(to);
    m.Uzel_Begin = cp(begin);
    m.Uzel_End = cp(end);
    m.Dlina = length;
    m.Provod = cp(wire);
    m.Uzel_Off = cp(off);
    m.Izm_Nagr = change;
    return m;
}

// The sources, by their row in the sources table.
enum { North, River, Works, Bare, Fresh, NoProject = -1 };

// North: lines "101" (two sections) and "102" (none), three modes. River: lines "Магистраль" and "202",
// one section each, no mode. Works: lines "Резервная1" and "302" without sections, one mode. Bare: one
// mode, no line. Fresh: nothing at all.
TProect modesProject() {
    TProect p;
    TSource& north = p.Sources.append();
    north.Name = cp("ПС Северная");
    for (const char* name : {"101", "102"})
        north.Lines.append().Name = name;
    for (const char* end : {"A1", "A2"}) {
        TLine& s = north.Lines[1].Sections.append();
        s.L_Begin = "101";
        s.L_End = end;
        s.Dlina = 0.5;
    }
    north.ModeWorks.append(mode("101", "201", "1", "2", 1, "АС-50", "5", 10));
    north.ModeWorks.append(mode("101", "Магистра", "3", "4", 2.6, "АС-70", "6", -15));
    north.ModeWorks.append(mode("101", "301", "7", "8", 1500, "А-35", "9", 0));

    TSource& river = p.Sources.append();
    river.Name = cp("ПС Заречная");
    for (const char* name : {"Магистраль", "202"}) {
        TLines& line = river.Lines.append();
        line.Name = cp(name);
        line.Sections.append().L_Begin = cp(name);
    }

    TSource& works = p.Sources.append();
    works.Name = cp("ПС Промзона");
    for (const char* name : {"Резервная1", "302"})
        works.Lines.append().Name = cp(name);
    works.ModeWorks.append(mode("302", "101", "", "", 0, "", "", 0));

    TSource& bare = p.Sources.append();
    bare.Name = cp("ПС Пустая");
    bare.ModeWorks.append(mode("x", "y", "", "", 0, "", "", 0));

    p.Sources.append().Name = cp("ПС Новая");
    return p;
}

const QStringList kNorthRows = {"101|201|1|2|1|АС-50|5|10", "101|Магистра|3|4|2.6|АС-70|6|-15",
                                "101|301|7|8|1500|А-35|9|0"};

TF_ModeWork& modeDialog(QDialog& dialog) {
    return dynamic_cast<TF_ModeWork&>(dialog);
}

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// What the dialog shows, field by field, read from the widgets themselves.
QStringList fieldTexts(const TF_ModeWork& f) {
    return {f.L_begin->text(), f.L_End->currentText(),      f.Uzel_Begin->text(), f.Uzel_End->text(),
            f.Dlina->text(),   f.Provod_Box->currentText(), f.Uzel_Off->text(),   f.Izm_Nagr->text()};
}

// Runs the action once a modal dialog is up; it polls, so it also waits for a dialog that takes a
// moment to appear.
void whenModal(std::function<void(QWidget*)> action, int attempts = 300) {
    QTimer::singleShot(10, [action, attempts] {
        if (QWidget* modal = QApplication::activeModalWidget())
            action(modal);
        else if (attempts > 0)
            whenModal(action, attempts - 1);
    });
}

} // namespace

class TestModes : public QObject, WindowFixture {
    Q_OBJECT


    void open(const TProect& project) {
        QString path = workspace->path("modes.k10");
        k10::writeProject(path.toStdString(), project);
        user->files.push_back(path);
        ui->N6->trigger();
        QVERIFY(user->errors.isEmpty());
    }
    // Opens the project and selects a source and one of its lines as the user's clicks would; a source
    // of NoProject leaves the window empty.
    void openAndSelect(int source, int line) {
        if (source == NoProject)
            return;
        open(modesProject());
        ui->SourceGrid->setCurrentCell(source, 0);
        ui->LinesGrid->setCurrentCell(line, 0);
        QCOMPARE(place->source(), source);
        QCOMPARE(place->line(), line);
    }
    QStringList tables() const {
        return gridRows(ui->SourceGrid) + gridRows(ui->LinesGrid) + gridRows(ui->LineGrid) +
               gridRows(ui->ModeWorkGrid);
    }
    TProect expectedProject() const { return forms->Document->project().SourceCount() ? modesProject() : TProect{}; }

private slots:
    void init() {
        start();
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void dialogCarriesEveryControl() {
        TF_ModeWork& f = *forms->F_ModeWork;
        QCOMPARE(f.objectName(), QString("TF_ModeWork"));
        QCOMPARE(f.windowTitle(), QString("Режимы работы"));
        QCOMPARE(f.GroupBox1->title(), QString("Источники, линии"));
        QCOMPARE(f.GroupBox2->title(), QString(" Перемычка "));
        QVERIFY(f.GroupBox3->title().isEmpty());

        // Every field: its name and kind, its caption, and the group that holds it.
        struct Field {
            const char* name;
            const char* kind;
            const char* caption;
            QGroupBox* group;
        };
        QMap<QString, QString> captions;
        for (QLabel* label : f.findChildren<QLabel*>())
            if (label->buddy())
                captions[label->buddy()->objectName()] = label->text();
        for (const Field& c : {Field{"L_begin", "TextField", "От", f.GroupBox1},
                               Field{"L_End", "TypedComboBox", "До", f.GroupBox1},
                               Field{"Uzel_Begin", "TextField", "Узел начальный", f.GroupBox2},
                               Field{"Uzel_End", "TextField", "Узел конечный", f.GroupBox2},
                               Field{"Dlina", "DecimalSpinField", "Длина", f.GroupBox2},
                               Field{"Provod_Box", "TypedComboBox", "Провод, кабель", f.GroupBox2},
                               Field{"Uzel_Off", "TextField", "Узел отключения", f.GroupBox3},
                               Field{"Izm_Nagr", "WholeNumberField", "Измение нагрузки", f.GroupBox3}}) {
            QWidget* field = c.group->findChild<QWidget*>(c.name, Qt::FindDirectChildrenOnly);
            QVERIFY2(field && field->inherits(c.kind), c.name);
            QCOMPARE(captions.value(c.name), QString(c.caption));
        }
        QCOMPARE(captions.size(), 8);
        QCOMPARE(f.DlinaUnit->text(), QString("км."));
        QCOMPARE(f.Izm_NagrUnit->text(), QString("%"));

        QVERIFY(!f.L_begin->isEnabled());
        QVERIFY(!f.L_beginButton->isEnabled());
        QCOMPARE(f.Dlina->text(), QString("0"));
        QCOMPARE(f.Izm_Nagr->text(), QString("0"));
        QCOMPARE(f.OkButton->text(), QString("OK"));
        QVERIFY(f.OkButton->isDefault());
        QCOMPARE(f.CancelButton->text(), QString("Отмена"));
        QCOMPARE(f.layout()->sizeConstraint(), QLayout::SetFixedSize);

        // The focus order, as Tab walks it.
        const QList<QWidget*> order = {f.L_End,    f.Uzel_Begin, f.Uzel_End, f.Dlina,       f.Provod_Box,
                                       f.Uzel_Off, f.Izm_Nagr,   f.OkButton, f.CancelButton};
        QStringList walked, expected;
        for (QWidget* w : order)
            expected << w->objectName();
        QWidget* at = f.L_End;
        for (int step = 0; step < 200 && walked.size() < order.size(); ++step, at = at->nextInFocusChain())
            if (order.contains(at) && !walked.contains(at->objectName()))
                walked << at->objectName();
        QCOMPARE(walked, expected);

        QVERIFY(ui->Calculate->icon().availableSizes().contains(QSize(16, 16)));
    }

    // Every command on a selection that lacks what it needs: the first message in the checks' order, or
    // none where the command stops silently, and nothing shown, stored or redrawn. Calculate with all
    // present ends the same way, without a message.
    void commandsCheckTheSelectionInOrder_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("line");
        QTest::addColumn<QStringList>("messages");
        const QString add = "ModeWork_Add", change = "ModeWork_Edit", del = "ModeWork_Del",
                      calc = "Calculate";
        QTest::newRow("Add: no source") << add << int(NoProject) << 0 << QStringList{kAddNoSource};
        QTest::newRow("Add: no line") << add << int(Bare) << 0 << QStringList{kAddNoLine};
        QTest::newRow("Add: nothing at all") << add << int(Fresh) << 0 << QStringList{kAddNoLine};
        QTest::newRow("Add: selected line without sections, another with")
            << add << int(North) << 1 << QStringList{kAddNoSection};
        QTest::newRow("Add: no line with sections") << add << int(Works) << 0 << QStringList{kAddNoSection};
        QTest::newRow("Change: no source") << change << int(NoProject) << 0 << QStringList{kNoSource};
        QTest::newRow("Change: no mode") << change << int(River) << 0 << QStringList{kNoMode};
        QTest::newRow("Change: no mode, no line") << change << int(Fresh) << 0 << QStringList{kNoMode};
        QTest::newRow("Change: modes, selected line without sections")
            << change << int(North) << 1 << QStringList{};
        QTest::newRow("Change: modes, no line with sections") << change << int(Works) << 0 << QStringList{};
        QTest::newRow("Change: modes, no line") << change << int(Bare) << 0 << QStringList{};
        QTest::newRow("Delete: no source") << del << int(NoProject) << 0 << QStringList{kNoSource};
        QTest::newRow("Delete: no mode") << del << int(River) << 0 << QStringList{kNoMode};
        QTest::newRow("Delete: no mode, no line") << del << int(Fresh) << 0 << QStringList{kNoMode};
        QTest::newRow("Calculate: no source")
            << calc << int(NoProject) << 0 << QStringList{notEnough(kNoSource)};
        QTest::newRow("Calculate: no mode before no line")
            << calc << int(Fresh) << 0 << QStringList{notEnough(kNoMode)};
        QTest::newRow("Calculate: no mode, lines with sections")
            << calc << int(River) << 1 << QStringList{notEnough(kNoMode)};
        QTest::newRow("Calculate: no line")
            << calc << int(Bare) << 0 << QStringList{notEnough("Необходимо сначала создать линию")};
        QTest::newRow("Calculate: no section")
            << calc << int(Works) << 1 << QStringList{notEnough("Необходимо сначала создать описание линии")};
        QTest::newRow("Calculate: selected line without sections, another with")
            << calc << int(North) << 1 << QStringList{notEnough("Необходимо сначала создать описание линии")};
        QTest::newRow("Calculate: all present, other sources incomplete")
            << calc << int(North) << 0 << QStringList{};
    }
    void commandsCheckTheSelectionInOrder() {
        QFETCH(QString, command);
        QFETCH(int, source);
        QFETCH(int, line);
        QFETCH(QStringList, messages);
        openAndSelect(source, line);
        QStringList before = tables();
        main->findChild<QAction*>(command)->trigger();
        QCOMPARE(user->messages, messages);
        QVERIFY(user->dialogs.filter("TF_ModeWork").isEmpty());
        QVERIFY(user->errors.isEmpty());
        QVERIFY(forms->Document->project() == expectedProject());
        QCOMPARE(tables(), before);
    }

    // Add on the first line of a source whose other line has no sections: the dialog starts from that
    // line, offers every line of the project, and its texts make the new row until the next refresh.
    void addStoresTheDialogAndShowsItsTexts() {
        openAndSelect(North, 0);
        forms->F_ModeWork->Provod_Box->addItems({"АС-50", "АС-70"});
        const QStringList wires = items(forms->F_ModeWork->Provod_Box);
        QStringList offered, shown;
        user->scripts.push_back([&](QDialog& d) {
            TF_ModeWork& f = modeDialog(d);
            offered = items(f.L_End);
            shown = fieldTexts(f);
            f.L_End->setCurrentIndex(f.L_End->findText("Резервная1"));
            f.Uzel_Begin->setText("У1");
            f.Uzel_End->setText("У2");
            f.Dlina->setValue(1500);
            f.Provod_Box->setEditText("АС-70");
            f.Uzel_Off->setText("У9");
            f.Izm_Nagr->setValue(-15);
            return true;
        });
        ui->ModeWork_Add->trigger();
        QCOMPARE(user->dialogs, QStringList({"OpenProjectDialog1", "TF_ModeWork"}));
        QVERIFY(user->messages.isEmpty());
        QCOMPARE(offered, QStringList({"", "101", "102", "Магистраль", "202", "Резервная1", "302"}));
        QCOMPARE(shown, QStringList({"101", "", "", "", "0", "", "", "0"}));

        const TSource& north = forms->Document->project().Sources[1];
        QCOMPARE(north.ModeWorkCount(), 4);
        QVERIFY(north.ModeWorks[4] == mode("101", "Резервна", "У1", "У2", 1500, "АС-70", "У9", -15));
        QCOMPARE(gridRows(ui->ModeWorkGrid),
                 kNorthRows + QStringList{"101|Резервная1|У1|У2|1500|АС-70|У9|(15)"});
        QCOMPARE(items(forms->F_ModeWork->Provod_Box), wires);

        place->select({place->source() + 1, place->line() + 1});
        QCOMPARE(gridRows(ui->ModeWorkGrid).last(), QString("101|Резервна|У1|У2|1500|АС-70|У9|-15"));
    }

    // A 10-character line name in L_begin and L_End is cut to 8 in the record, shown whole in the row; a
    // jumper's length keeps its fraction; every use starts from a blank dialog, and Cancel stores nothing.
    void addStartsBlankAndCancelStoresNothing() {
        openAndSelect(River, 0);
        user->scripts.push_back([](QDialog& d) {
            TF_ModeWork& f = modeDialog(d);
            f.L_End->setCurrentIndex(3);
            f.Uzel_Off->setText("7");
            f.Dlina->setValue(2.6);
            return true;
        });
        QStringList second;
        user->scripts.push_back([&](QDialog& d) {
            TF_ModeWork& f = modeDialog(d);
            second = fieldTexts(f);
            f.Uzel_Begin->setText("lost");
            return false;
        });
        ui->ModeWork_Add->trigger();
        QCOMPARE(gridRows(ui->ModeWorkGrid), QStringList({"Магистраль|Магистраль|||2.6||7|0"}));
        ui->ModeWork_Add->trigger();
        QCOMPARE(second, QStringList({"Магистраль", "", "", "", "0", "", "", "0"}));

        const TSource& river = forms->Document->project().Sources[2];
        QCOMPARE(river.ModeWorkCount(), 1);
        QVERIFY(river.ModeWorks[1] == mode("Магистра", "Магистра", "", "", 2.6, "", "7", 0));
        QCOMPARE(gridRows(ui->ModeWorkGrid), QStringList({"Магистраль|Магистраль|||2.6||7|0"}));
        place->select({place->source() + 1, place->line() + 1});
        QCOMPARE(gridRows(ui->ModeWorkGrid), QStringList({"Магистра|Магистра|||2.6||7|0"}));
        QVERIFY(user->messages.isEmpty());
    }

    void addAtTheLimitIsRefused() {
        TProect full = modesProject();
        while (!full.Sources[1].ModeWorks.full())
            full.Sources[1].ModeWorks.append(mode("101", "z", "", "", 0, "", "", 0));
        open(full);
        ui->ModeWork_Add->trigger();
        QCOMPARE(user->messages, QStringList({kFull}));
        QCOMPARE(user->dialogs, QStringList({"OpenProjectDialog1"}));
        QVERIFY(forms->Document->project() == full);
        QCOMPARE(ui->ModeWorkGrid->rowCount(), 100);

        // With one mode fewer there is room again.
        ui->ModeWork_Del->trigger();
        user->scripts.push_back([](QDialog&) { return true; });
        ui->ModeWork_Add->trigger();
        QCOMPARE(forms->Document->project().Sources[1].ModeWorkCount(), 100);
        QCOMPARE(ui->ModeWorkGrid->rowCount(), 100);
        QCOMPARE(user->messages, QStringList({kFull}));
    }

    // The second mode's length of 2.6 shows as 2.6 and its load change as (15); OK stores the dialog and
    // writes the row from it, Cancel keeps everything.
    void changeStoresOnOkOnly_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void changeStoresOnOkOnly() {
        QFETCH(bool, ok);
        openAndSelect(North, 0);
        ui->ModeWorkGrid->setCurrentCell(1, 0);
        QCOMPARE(place->mode(), 1);
        QStringList offered, shown;
        user->scripts.push_back([&](QDialog& d) {
            TF_ModeWork& f = modeDialog(d);
            offered = items(f.L_End);
            shown = fieldTexts(f);
            f.Uzel_Off->setText("16");
            return ok;
        });
        ui->ModeWork_Edit->trigger();
        QVERIFY(user->messages.isEmpty());
        QCOMPARE(offered.size(), 7);
        QCOMPARE(shown, QStringList({"101", "Магистра", "3", "4", "2.6", "АС-70", "6", "(15)"}));

        TProect expected = modesProject();
        QStringList rows = kNorthRows;
        if (ok) {
            expected.Sources[1].ModeWorks[2] = mode("101", "Магистра", "3", "4", 2.6, "АС-70", "16", -15);
            rows[1] = "101|Магистра|3|4|2.6|АС-70|16|(15)";
        }
        QVERIFY(forms->Document->project() == expected);
        QCOMPARE(gridRows(ui->ModeWorkGrid), rows);
    }

    void deleteMovesTheLaterModesForward_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("first of three") << 0 << QStringList{kNorthRows[1], kNorthRows[2]};
        QTest::newRow("last of three") << 2 << QStringList{kNorthRows[0], kNorthRows[1]};
    }
    void deleteMovesTheLaterModesForward() {
        QFETCH(int, row);
        QFETCH(QStringList, rows);
        openAndSelect(North, 0);
        ui->ModeWorkGrid->setCurrentCell(row, 0);
        ui->LineGrid->setCurrentCell(1, 0);
        ui->ModeWork_Del->trigger();
        QVERIFY(user->messages.isEmpty());
        QVERIFY(user->questions.isEmpty());

        TProect expected = modesProject();
        expected.Sources[1].ModeWorks.remove(row + 1);
        QVERIFY(forms->Document->project() == expected);
        QCOMPARE(gridRows(ui->ModeWorkGrid), rows);
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"101|A1|0.5||||", "101|A2|0.5||||"}));
        QCOMPARE(place->mode(), 0);
        QCOMPARE(ui->ModeWorkGrid->currentRow(), 0);
        QCOMPARE(place->section(), 0);
    }

    // A selection that names no mode (a state the tables never leave behind) reaches no record.
    void changeAndDeleteStayWithinTheModes() {
        openAndSelect(North, 0);
        QStringList before = tables();
        place->setRows({place->source(), place->line(), place->section(), 3});
        ui->ModeWork_Edit->trigger();
        ui->ModeWork_Del->trigger();
        QVERIFY(user->messages.isEmpty());
        QVERIFY(user->errors.isEmpty());
        QCOMPARE(user->dialogs, QStringList({"OpenProjectDialog1"}));
        QVERIFY(forms->Document->project() == modesProject());
        QCOMPARE(tables(), before);
    }

    // The real modal dialog, shown by Add and closed as a user would: the OK button, Enter in a field,
    // Esc, or the title bar's close box.
    void realDialogEndsAsTheUserCloseIt_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("stored");
        QTest::newRow("OK button") << "ok" << true;
        QTest::newRow("Enter") << "enter" << true;
        QTest::newRow("Esc") << "escape" << false;
        QTest::newRow("close box") << "close" << false;
    }
    void realDialogEndsAsTheUserCloseIt() {
        QFETCH(QString, ending);
        QFETCH(bool, stored);
        openAndSelect(River, 1);
        user->desktop = true; // the desktop's own boxes and dialogs from here on

        QString title, from;
        QStringList offered;
        bool reached = false;
        whenModal([ending, &title, &from, &offered, &reached](QWidget* modal) {
            auto* f = qobject_cast<TF_ModeWork*>(modal);
            if (!f) {
                modal->close();
                return;
            }
            reached = true;
            title = f->windowTitle();
            from = f->L_begin->text();
            offered = items(f->L_End);
            f->L_End->setCurrentIndex(f->L_End->findText("101"));
            QTest::keyClicks(f->Uzel_Begin, "N1");
            f->Dlina->selectAll();
            QTest::keyClicks(f->Dlina, "12");
            if (ending == "ok")
                QTest::mouseClick(f->OkButton, Qt::LeftButton);
            else if (ending == "enter")
                QTest::keyClick(f->Uzel_Off, Qt::Key_Return);
            else if (ending == "escape")
                QTest::keyClick(f, Qt::Key_Escape);
            else
                f->close();
            if (f->isVisible())
                f->reject();
        });
        ui->ModeWork_Add->trigger();
        user->desktop = false;

        QVERIFY(reached);
        QCOMPARE(title, QString("Режимы работы"));
        QCOMPARE(from, QString("202"));
        QCOMPARE(offered.size(), 7);
        const TSource& river = forms->Document->project().Sources[2];
        if (stored) {
            QCOMPARE(river.ModeWorkCount(), 1);
            QVERIFY(river.ModeWorks[1] == mode("202", "101", "N1", "", 12, "", "", 0));
            QCOMPARE(gridRows(ui->ModeWorkGrid), QStringList({"202|101|N1||12|||0"}));
        } else {
            QCOMPARE(river.ModeWorkCount(), 0);
            QCOMPARE(gridRows(ui->ModeWorkGrid), QStringList({"|||||||"}));
        }
    }
};

QTEST_MAIN(TestModes)
#include "test_modes.moc"
