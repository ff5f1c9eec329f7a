// Power sources: Add, Change and Delete from the sources table's menu, the source dialog and its code
// check, on the real window and dialog.

#include "model/project_file.h"
#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "text/codepage.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/records/tf_source.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kEmptyCode = "Код источника не должен быть пустым. ";
const QString kDuplicate = "Такой код источника уже есть. ";
const QChar kGroup(0x00A0);

std::string cp(const char* utf8) {
    return *k10::utf8ToCp1251(utf8);
}

// Sources with the given codes, named "S<code>"; every source has one line of one section and one mode,
// each named after the source, so a moved source can be told apart with all it holds.
TProect sourcesWithCodes(const QList<int>& codes) {
    TProect p;
    for (int code : codes) {
        TSource& s = p.Sources.append();
        std::string tag = std::to_string(code);
        s.Name = "S" + tag;
        s.Code = code;
        s.Napr = 10;
        s.X_Min = 0.25;
        TLines& line = s.Lines.append();
        line.Name = "L" + tag;
        line.Sections.append().L_End = "E" + tag;
        s.ModeWorks.append().L_Begin = "M" + tag;
    }
    return p;
}

// Types the text key by key, each key carrying its character (Cyrillic ones too), through the field's
// own input rules.
void typeKeys(QWidget* field, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Replaces the field's text as the user would: select everything, delete it and type.
void type(QWidget* field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
        spin->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    typeKeys(field, text);
}

QString captionOf(const QWidget* field) {
    for (const QLabel* label : field->window()->findChildren<QLabel*>())
        if (label->buddy() == field)
            return label->text();
    return {};
}

// A scripted run of the source dialog: shown and active, so that its focus moves as the user's does;
// `fill` acts on the fields, and the script ends with OK or Cancel.
ScriptedInteraction::DialogScript sourceScript(std::function<void(TF_Source&)> fill, bool ok = true) {
    return [fill, ok](QDialog& dialog) {
        auto& source = dynamic_cast<TF_Source&>(dialog);
        source.show();
        source.activateWindow();
        if (!QTest::qWaitForWindowActive(&source))
            qWarning("the source dialog did not become active");
        fill(source);
        source.hide();
        return ok;
    };
}

// Puts the focus into the code field and leaves it with Tab, which runs the code check.
void leaveCode(TF_Source& dialog) {
    dialog.Code->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dialog.Code, Qt::Key_Tab);
}

// While it lives, the desktop's own boxes and dialogs answer instead of the script.
class DesktopBoxes {
public:
    explicit DesktopBoxes(ScriptedInteraction* script) : script_(script) { script_->desktop = true; }
    ~DesktopBoxes() { script_->desktop = false; }
    DesktopBoxes(const DesktopBoxes&) = delete;
    DesktopBoxes& operator=(const DesktopBoxes&) = delete;

private:
    ScriptedInteraction* script_;
};

} // namespace

class TestSources : public QObject, WindowFixture {
    Q_OBJECT

    TF_Source* dialog = nullptr;

    void open(const TProect& project) {
        QString path = workspace->path("open.k10");
        k10::writeProject(path.toStdString(), project);
        user->files.push_back(path);
        ui->N6->trigger();
    }
    QStringList sourceNames() const {
        QStringList names;
        for (const TSource& s : forms->Document->project().Sources)
            names << QString::fromStdString(s.Name.str());
        return names;
    }

private slots:
    void init() {
        start();
        dialog = forms->F_Source;
    }
    void cleanup() {
        const bool scriptsLeft = user && !user->scripts.empty();
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
        QVERIFY2(!scriptsLeft, "a dialog script was not used");
    }

    void dialogControlsCaptionsAndFocusOrder() {
        QCOMPARE(dialog->windowTitle(), QString("Источник питания"));
        QVERIFY(qobject_cast<TextField*>(dialog->Name));
        QCOMPARE(dialog->Name->maxLength(), 20);
        QVERIFY(qobject_cast<WholeNumberField*>(dialog->Code));
        QVERIFY(qobject_cast<WholeNumberField*>(dialog->Napr));
        struct Field {
            QWidget* widget;
            const char* name;
            const char* caption;
            QGroupBox* group;
        };
        for (const Field& f : {Field{dialog->Name, "Name", "Наименование источника", nullptr},
                               Field{dialog->Code, "Code", "Код источника питания", nullptr},
                               Field{dialog->Napr, "Napr", "Номинальное напряжение", nullptr},
                               Field{dialog->R_Max, "R_Max", "R", dialog->GroupBox2},
                               Field{dialog->X_Max, "X_Max", "X", dialog->GroupBox2},
                               Field{dialog->R_Min, "R_Min", "R", dialog->GroupBox3},
                               Field{dialog->X_Min, "X_Min", "X", dialog->GroupBox3}}) {
            QCOMPARE(f.widget->objectName(), QString(f.name));
            QCOMPARE(captionOf(f.widget), QString(f.caption));
            if (f.group) {
                QVERIFY(qobject_cast<DecimalSpinField*>(f.widget));
                QCOMPARE(f.widget->parentWidget(), f.group);
            }
        }
        QCOMPARE(dialog->GroupBox1->title(), QString("Сопротивление системы (Ом)"));
        QCOMPARE(dialog->GroupBox2->title(), QString("Максимальный режим"));
        QCOMPARE(dialog->GroupBox3->title(), QString("Минимальный режим"));
        QCOMPARE(dialog->GroupBox2->parentWidget(), dialog->GroupBox1);
        QCOMPARE(dialog->GroupBox3->parentWidget(), dialog->GroupBox1);
        QCOMPARE(dialog->OkButton->text(), QString("OK"));
        QVERIFY(dialog->OkButton->isDefault());
        QCOMPARE(dialog->CancelButton->text(), QString("Отмена"));

        // Tab walks the fields in their order, starting at the name.
        QStringList order;
        user->scripts.push_back(sourceScript(
            [&](TF_Source& d) {
                for (int i = 0; i < 9; ++i) {
                    order << QApplication::focusWidget()->objectName();
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                }
                order << d.focusWidget()->objectName();
            },
            false));
        ui->Source_Add->trigger();
        QCOMPARE(order, QStringList({"Name", "Napr", "Code", "X_Max", "R_Max", "R_Min", "X_Min", "OkButton",
                                     "CancelButton", "Name"}));
        QVERIFY(user->messages.isEmpty());
    }

    void contextMenuOnTheTableItsBoxAndCaptions() {
        QList<QWidget*> targets = {ui->SourceGrid, ui->RzGroupBox1};
        for (QLabel* caption : ui->RzGroupBox1->findChildren<QLabel*>())
            targets << caption;
        QCOMPARE(targets.size(), 12);
        for (QWidget* target : targets) {
            emit target->customContextMenuRequested(QPoint(3, 3));
            QTRY_VERIFY2(ui->Source_PopupMenu->isVisible(), qPrintable(target->objectName()));
            ui->Source_PopupMenu->hide();
        }
    }

    void addPrefillsTheNextCode_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<bool>("deleteFirst");
        QTest::addColumn<int>("prefilled");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("empty project") << QList<int>{} << false << 1 << QStringList{};
        QTest::newRow("three sources") << QList<int>{1, 2, 3} << false << 4 << QStringList{};
        QTest::newRow("first of three deleted")
            << QList<int>{1, 2, 3} << true << 3 << QStringList{kDuplicate};
    }
    void addPrefillsTheNextCode() {
        QFETCH(QList<int>, codes);
        QFETCH(bool, deleteFirst);
        QFETCH(int, prefilled);
        QFETCH(QStringList, messages);
        if (!codes.isEmpty())
            open(sourcesWithCodes(codes));
        if (deleteFirst)
            ui->Source_Del->trigger();
        const TProect before = forms->Document->project();
        const QStringList rows = gridRows(ui->SourceGrid);

        QStringList shown;
        double value = -1;
        QString focus;
        user->scripts.push_back(sourceScript(
            [&](TF_Source& d) {
                d.Name->setText("changed");
                shown << d.Name->text() << d.Napr->text() << d.R_Max->text() << d.X_Max->text()
                      << d.R_Min->text() << d.X_Min->text();
                value = d.Code->value();
                leaveCode(d);
                focus = QApplication::focusWidget()->objectName();
            },
            false));
        ui->Source_Add->trigger();
        QCOMPARE(value, double(prefilled));
        QCOMPARE(shown, QStringList({"changed", "0", "0", "0", "0", "0"}));
        QCOMPARE(user->messages, messages);
        QCOMPARE(focus, QString(messages.isEmpty() ? "X_Max" : "Code"));
        // Cancel stores nothing.
        QVERIFY(forms->Document->project() == before);
        QCOMPARE(gridRows(ui->SourceGrid), rows);
    }

    void codeCheck_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("typed"); // a null string leaves the prefilled code
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("edited source itself")
            << QList<int>{1, 2, 3} << true << QString() << QStringList{kDuplicate};
        QTest::newRow("two equal codes")
            << QList<int>{5, 7, 5} << false << "5" << QStringList{kDuplicate, kDuplicate};
        QTest::newRow("new code") << QList<int>{5, 7} << true << "6" << QStringList{};
        QTest::newRow("zero, no source has it") << QList<int>{5} << false << "0" << QStringList{kEmptyCode};
        QTest::newRow("emptied, a source has 0")
            << QList<int>{0, 4} << false << "" << QStringList{kEmptyCode, kDuplicate};
        QTest::newRow("negative code of another")
            << QList<int>{-1500} << false << "-1500" << QStringList{kDuplicate};
    }
    void codeCheck() {
        QFETCH(QList<int>, codes);
        QFETCH(bool, edit);
        QFETCH(QString, typed);
        QFETCH(QStringList, messages);
        open(sourcesWithCodes(codes));
        const TProect before = forms->Document->project();
        const QStringList rows = gridRows(ui->SourceGrid);
        QString focus;
        user->scripts.push_back(sourceScript(
            [&](TF_Source& d) {
                type(d.Name, "changed");
                type(d.R_Min, "4");
                if (!typed.isNull())
                    type(d.Code, typed);
                leaveCode(d);
                focus = QApplication::focusWidget()->objectName();
            },
            false));
        (edit ? ui->Source_Edit : ui->Source_Add)->trigger();
        QCOMPARE(user->messages, messages);
        QCOMPARE(focus, QString(messages.isEmpty() ? "X_Max" : "Code"));
        // The check changes nothing, and neither does Cancel.
        QVERIFY(forms->Document->project() == before);
        QCOMPARE(gridRows(ui->SourceGrid), rows);
    }

    // The check runs when the focus moves to another field of the dialog, not when another window takes
    // it (a message box of the check itself, the dialog closing).
    void focusTakenByAnotherWindowRunsNoCheck() {
        open(sourcesWithCodes({1}));
        bool mainActive = false;
        user->scripts.push_back(sourceScript(
            [&](TF_Source& d) {
                d.Code->setFocus(Qt::TabFocusReason); // holds 1, the edited source's own code
                main->activateWindow();
                mainActive = QTest::qWaitForWindowActive(main);
            },
            false));
        ui->Source_Edit->trigger();
        QVERIFY(mainActive);
        QVERIFY(user->messages.isEmpty());
    }

    void addAndEditStoreEveryField() {
        open(sourcesWithCodes({1}));
        user->scripts.push_back(sourceScript([](TF_Source& d) {
            type(d.Name, "ПС Лесная");
            type(d.Code, "1500");
            type(d.Napr, "");
            type(d.R_Max, "0.5");
            type(d.X_Max, "1.25");
            type(d.R_Min, "-2");
            type(d.X_Min, "0.00001");
            leaveCode(d);
        }));
        ui->Source_Add->trigger();
        QCOMPARE(user->messages, QStringList{});
        QCOMPARE(forms->Document->project().SourceCount(), 2);
        TSource added; // a blank voltage reads as 0; no lines, no modes
        added.Name = cp("ПС Лесная");
        added.Code = 1500;
        added.R_Max = 0.5;
        added.X_Max = 1.25;
        added.R_Min = -2;
        added.X_Min = 1e-5;
        QVERIFY(forms->Document->project().Sources[2] == added);
        QCOMPARE(gridRows(ui->SourceGrid),
                 QStringList({"S1|1|10|0|0|0|0.25", "ПС Лесная|1500|0|0.5|1.25|-2|1E-5"}));

        // Add does not select the new source: Change works on the current row, the first one, and keeps
        // its lines and modes.
        QCOMPARE(place->source(), 0);
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"L1"}));
        QStringList prefilled;
        user->scripts.push_back(sourceScript([&](TF_Source& d) {
            prefilled << d.Name->text() << d.Code->text() << d.Napr->text() << d.X_Min->text();
            type(d.Name, "Главная");
            type(d.Napr, "35");
            type(d.X_Max, "3.5");
        }));
        ui->Source_Edit->trigger();
        QCOMPARE(prefilled, QStringList({"S1", "1", "10", "0.25"}));
        QCOMPARE(gridRows(ui->SourceGrid),
                 QStringList({"Главная|1|35|0|3.5|0|0.25", "ПС Лесная|1500|0|0.5|1.25|-2|1E-5"}));
        TSource expected = sourcesWithCodes({1}).Sources[1];
        expected.Name = cp("Главная");
        expected.Napr = 35;
        expected.X_Max = 3.5;
        QVERIFY(forms->Document->project().Sources[1] == expected);
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"L1"}));
    }

    void editAndDeleteNeedASource() {
        ui->Source_Edit->trigger();
        ui->Source_Del->trigger();
        QCOMPARE(user->messages,
                 QStringList({"Необходимо сначала создать источник питания", "Удалять нечего"}));
        QVERIFY(user->dialogs.isEmpty());
        QCOMPARE(forms->Document->project().SourceCount(), 0);
    }

    void deleteRemovesTheCurrentSource_data() {
        QTest::addColumn<int>("row"); // -1: no row was selected
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("second of three") << 1 << QStringList{"S1", "S3"};
        QTest::newRow("last of three") << 2 << QStringList{"S1", "S2"};
        QTest::newRow("no row selected") << -1 << QStringList{"S2", "S3"};
    }
    void deleteRemovesTheCurrentSource() {
        QFETCH(int, row);
        QFETCH(QStringList, remaining);
        const TProect three = sourcesWithCodes({1, 2, 3});
        open(three);
        if (row >= 0)
            ui->SourceGrid->setCurrentCell(row, 0);
        ui->Source_Del->trigger();
        QCOMPARE(sourceNames(), remaining);
        // Every source that stays keeps all it held, lines and modes included.
        for (const TSource& kept : forms->Document->project().Sources)
            QVERIFY(kept == three.Sources[kept.Code]);
        QStringList rows;
        for (const QString& name : remaining)
            rows << name + "|" + name.mid(1) + "|10|0|0|0|0.25";
        QCOMPARE(gridRows(ui->SourceGrid), rows);
        QCOMPARE(ui->SourceGrid->currentRow(), 0);
        QCOMPARE(place->source(), 0);
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"L" + remaining[0].mid(1)}));
        QCOMPARE(gridRows(ui->ModeWorkGrid), QStringList({"M" + remaining[0].mid(1) + "||||0|||0"}));
        QVERIFY(user->messages.isEmpty());
    }

    void deletingTheOnlySourceEmptiesEverything() {
        open(sourcesWithCodes({1}));
        ui->Source_Del->trigger();
        QCOMPARE(forms->Document->project().SourceCount(), 0);
        for (StringGrid* grid : {ui->SourceGrid, ui->LinesGrid, ui->LineGrid, ui->ModeWorkGrid}) {
            QCOMPARE(grid->rowCount(), 1);
            QVERIFY(rowTexts(grid, 0).join("").isEmpty());
        }
        QCOMPARE(place->source(), 0);
        ui->Source_Del->trigger();
        QCOMPARE(user->messages, QStringList({"Удалять нечего"}));
    }

    void codeSurvivesEditSaveAndOpen_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("code");
        QTest::newRow("1500") << "1500" << QString("1") + kGroup + "500" << 1500;
        QTest::newRow("negative") << "-7"
                                  << "(7)" << -7;
        QTest::newRow("largest") << "2147483647" << QString("2 147 483 647").replace(' ', kGroup)
                                 << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << QString("(2 147 483 648)").replace(' ', kGroup)
                                  << int(-2147483647 - 1);
    }
    void codeSurvivesEditSaveAndOpen() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, code);
        open(sourcesWithCodes({1}));
        QString shownWhenLeft;
        user->scripts.push_back(sourceScript([&](TF_Source& d) {
            type(d.Code, typed);
            leaveCode(d);
            shownWhenLeft = d.Code->text();
        }));
        ui->Source_Edit->trigger();
        QCOMPARE(shownWhenLeft, shown);
        QVERIFY(user->messages.isEmpty());
        QVERIFY(user->errors.isEmpty());
        QCOMPARE(forms->Document->project().Sources[1].Code, code);
        QCOMPARE(ui->SourceGrid->cell(0, 1), QString::number(code));

        user->files.push_back(workspace->path("saved.k10"));
        ui->N7->trigger();
        open(TProect{});
        QCOMPARE(forms->Document->project().SourceCount(), 0);
        user->files.push_back(workspace->path("saved.k10"));
        ui->N6->trigger();
        QVERIFY(user->errors.isEmpty());
        QCOMPARE(forms->Document->project().Sources[1].Code, code);
        QCOMPARE(ui->SourceGrid->cell(0, 1), QString::number(code));
    }

    void codeInputStaysWithin32Bits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("above") << "21474836479"
                               << "2147483647";
        QTest::newRow("below") << "-21474836480"
                               << "-2147483648";
        QTest::newRow("far above") << "99999999999"
                                   << "999999999";
    }
    void codeInputStaysWithin32Bits() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        type(dialog->Code, typed);
        QCOMPARE(dialog->Code->text(), kept);
        QCOMPARE(dialog->codeValue(), std::optional<std::int32_t>(kept.toInt()));
    }

    void failedConversionStoresNothing_data() {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("napr");
        QTest::newRow("edit, lone sign in the code") << true << "-"
                                                     << "10";
        QTest::newRow("edit, unclosed parenthesis in the voltage") << true << "12"
                                                                   << "(5";
        QTest::newRow("add, lone sign in the code") << false << "+"
                                                    << "10";
    }
    void failedConversionStoresNothing() {
        QFETCH(bool, edit);
        QFETCH(QString, code);
        QFETCH(QString, napr);
        open(sourcesWithCodes({1, 2}));
        const TProect before = forms->Document->project();
        const QStringList rows = gridRows(ui->SourceGrid);
        user->scripts.push_back(sourceScript([&](TF_Source& d) {
            type(d.Name, "Новое имя");
            type(d.Code, code);
            type(d.Napr, napr);
            type(d.R_Max, "9");
        }));
        (edit ? ui->Source_Edit : ui->Source_Add)->trigger();
        QCOMPARE(user->errors, QStringList({"Invalid numeric input"}));
        QVERIFY(forms->Document->project() == before);
        QCOMPARE(gridRows(ui->SourceGrid), rows);
    }

    void addRefusesTheHundredAndFirstSource() {
        TProect many;
        for (int i = 1; i <= 100; ++i)
            many.Sources.append().Code = i;
        open(many);
        ui->Source_Add->trigger();
        QCOMPARE(user->messages, QStringList({"Нельзя создать больше 100 источников питания"}));
        QCOMPARE(user->dialogs, QStringList({"OpenProjectDialog1"}));
        QCOMPARE(forms->Document->project().SourceCount(), 100);
        QCOMPARE(ui->SourceGrid->rowCount(), 100);
    }

    void nameTypingStopsAtTwentyButALongerStoredNameStays() {
        TProect p = sourcesWithCodes({1});
        const std::string longName = cp("Подстанция Северо-Восточная 110/10"); // 34 characters
        p.Sources[1].Name = longName;
        open(p);
        user->scripts.push_back(sourceScript([](TF_Source& d) { type(d.R_Max, "1"); }));
        ui->Source_Edit->trigger();
        QCOMPARE(forms->Document->project().Sources[1].Name.str(), longName);

        user->scripts.push_back(sourceScript([](TF_Source& d) {
            type(d.Name, "Двадцать пять знаков имени");
            type(d.Code, "2");
        }));
        ui->Source_Add->trigger();
        QCOMPARE(forms->Document->project().Sources[2].Name.str(), cp("Двадцать пять знаков"));
    }

    // The real modal dialog, without the scripted stand-in: it opens on Add with the next code and the
    // focus on the name, the keyboard walks it, Enter ends it with OK; Esc and the close box cancel.
    void realDialogOkEscAndCloseBox() {
        DesktopBoxes desktop(user.get());
        QString title, codeShown;
        QStringList focusPath;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TF_Source*>(QApplication::activeModalWidget());
            if (!d)
                return;
            if (!QTest::qWaitForWindowActive(d)) {
                d->reject();
                return;
            }
            title = d->windowTitle();
            modal = d->isModal();
            codeShown = d->Code->text();
            auto step = [&](const QString& text) {
                QWidget* at = QApplication::focusWidget();
                if (!at)
                    at = d;
                focusPath << at->objectName();
                if (!text.isEmpty())
                    typeKeys(at, text);
                QTest::keyClick(at, Qt::Key_Tab);
            };
            step("ПС Озёрная"); // Name
            step("10");         // Napr
            step("");           // Code, left as prefilled
            step("0.75");       // X_Max
            focusPath << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (d->isVisible())
                d->reject();
        });
        ui->Source_Add->trigger();
        QCOMPARE(title, QString("Источник питания"));
        QVERIFY(modal);
        QCOMPARE(codeShown, QString("1"));
        QCOMPARE(focusPath, QStringList({"Name", "Napr", "Code", "X_Max", "R_Max"}));
        QCOMPARE(gridRows(ui->SourceGrid), QStringList({"ПС Озёрная|1|10|0|0.75|0|0"}));

        const TProect before = forms->Document->project();
        for (bool escape : {true, false}) {
            bool closed = false;
            QTimer::singleShot(0, [&, escape] {
                auto* d = qobject_cast<TF_Source*>(QApplication::activeModalWidget());
                if (!d)
                    return;
                QTest::keyClicks(d->Name, "xyz");
                if (escape)
                    QTest::keyClick(d->Name, Qt::Key_Escape);
                else
                    d->close();
                closed = !d->isVisible();
                if (!closed)
                    d->reject();
            });
            ui->Source_Edit->trigger();
            QVERIFY2(closed, escape ? "Esc" : "close box");
            QVERIFY(forms->Document->project() == before);
            QCOMPARE(gridRows(ui->SourceGrid), QStringList({"ПС Озёрная|1|10|0|0.75|0|0"}));
        }
    }
};

QTEST_MAIN(TestSources)
#include "test_sources.moc"
