// Numbers typed key by key into the real fields of the real dialogs, as a Russian user types them: what
// the field shows once it is left, what its command stores, and the beep of every refused key.

#include "model/project_file.h"
#include "support/scripted_interaction.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/reference/tf_spravprovod.h"
#include "ui/main_window/workbench.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QString kNbsp(QChar(0x00A0));

// The dialogs reached through their commands, each adding one record.
enum Dialog { Source, Section, Mode, Wire };

QString shownText(const QWidget* field) {
    if (auto* line = qobject_cast<const QLineEdit*>(field))
        return line->text();
    return qobject_cast<const QAbstractSpinBox*>(field)->text();
}

QString number(double value) { return QString::number(value, 'g', 15); }

// Shows the dialog and makes it active, so that its focus moves as the user's does; puts the focus into
// the field, empties it and types the keys; then leaves it with Tab and presses OK, or ends the dialog with
// Enter in the field. `shown` gets the field's text at that moment.
ScriptedInteraction::DialogScript typing(const QString& field, const QString& keys, bool enter,
                                         QString& shown, int& refused) {
    return [=, &shown, &refused](QDialog& dialog) {
        // Every field beeps on the refusals its editor reports; count those.
        for (QLineEdit* editor : dialog.findChildren<QLineEdit*>())
            QObject::connect(editor, &QLineEdit::inputRejected, &dialog, [&refused] { ++refused; });
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            qWarning("the dialog did not become active");
        auto* target = dialog.findChild<QWidget*>(field);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(target, Qt::Key_Delete);
        QTest::keyClicks(target, keys);
        QTest::keyClick(target, enter ? Qt::Key_Return : Qt::Key_Tab);
        shown = shownText(target);
        if (dialog.isVisible())
            dialog.findChild<QPushButton*>("OkButton")->click();
        return dialog.result() == QDialog::Accepted;
    };
}

// One source with one line of one section, so that every add command can run.
TProect oneLine() {
    TProect p;
    TSource& source = p.Sources.append();
    source.Code = 1;
    TLines& line = source.Lines.append();
    line.Name = "101";
    line.Sections.append().L_Begin = "101";
    return p;
}

} // namespace

class TestTypedNumbers : public QObject, WindowFixture {
    Q_OBJECT


    // Runs the dialog's add command with the typing script; the catalog's entry dialog opens from its
    // list's «Новый».
    void add(Dialog dialog, const ScriptedInteraction::DialogScript& script) {
        QAction* commands[] = {ui->Source_Add, ui->Line_Add, ui->ModeWork_Add, ui->N14};
        if (dialog == Wire)
            user->scripts.push_back([this](QDialog&) {
                forms->F_SpravProvod->BitBtn1->click();
                return false;
            });
        user->scripts.push_back(script);
        commands[dialog]->trigger();
    }
    // The value the field's command stored in the record it added, as text.
    QString stored(Dialog dialog, const QString& field) const {
        const TSource& source = forms->Document->project().Sources[forms->Document->project().SourceCount()];
        const TSource& first = forms->Document->project().Sources[1];
        const TLines& line = first.Lines[1];
        switch (dialog) {
        case Source:
            if (field == "Name")
                return QString::fromStdString(source.Name.str());
            return number(QMap<QString, double>{{"Napr", source.Napr},
                                                {"R_Max", source.R_Max},
                                                {"X_Max", source.X_Max},
                                                {"R_Min", source.R_Min},
                                                {"X_Min", source.X_Min}}
                              .value(field));
        case Section: {
            const TLine& section = line.Sections[line.SectionCount()];
            return field == "Max_Nagr" ? QString::fromStdString(section.Max_Nagr.str()) : number(section.Dlina);
        }
        case Mode: {
            const TModeWork& mode = first.ModeWorks[first.ModeWorkCount()];
            return number(field == "Dlina" ? mode.Dlina : mode.Izm_Nagr);
        }
        case Wire: {
            const TProvoda& wire = forms->Document->reference<k10::WireCatalog>().data()[forms->Document->reference<k10::WireCatalog>().data().count()];
            return number(field == "R_V" ? wire.R_V : wire.R);
        }
        }
        return {};
    }

private slots:
    void init() {
        start();
        const QString path = workspace->path("one.k10");
        k10::writeProject(path.toStdString(), oneLine());
        user->files.push_back(path);
        ui->N6->trigger();
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void typedNumberIsStoredAsShown_data() {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("enter"); // the dialog ends with Enter in the field, not Tab and OK
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("beeps");
        auto row = [](const char* name, Dialog dialog, const char* field, const QString& keys, bool enter,
                      const QString& shown, const char* stored, int beeps = 0) {
            QTest::newRow(name) << int(dialog) << QString(field) << keys << enter << shown << QString(stored)
                                << beeps;
        };
        // Decimal fields: either decimal sign, blanks between digit groups, the value shown in its own form.
        row("section length, decimal comma", Section, "Dlina", "0,4", false, "0.4", "0.4");
        row("section length, decimal point", Section, "Dlina", "0.4", false, "0.4", "0.4");
        row("jumper length, decimal comma", Mode, "Dlina", "0,4", false, "0.4", "0.4");
        row("jumper length, not ten times longer", Mode, "Dlina", "1.6", true, "1.6", "1.6");
        row("resistance, groups with blanks", Source, "R_Max", "1 500,25", false, "1500.25", "1500.25");
        row("reactance, groups with non-breaking blanks", Source, "X_Max", "1" + kNbsp + "500,25", false,
            "1500.25", "1500.25");
        row("resistance, Enter in the field", Source, "R_Min", "2,50", true, "2.5", "2.5");
        row("catalog resistance, decimal comma", Wire, "R", "0,25", false, "0.25", "0.25");
        // Whole-number fields: a typed fraction becomes the nearest whole number, halves away from zero.
        row("voltage 10.5", Source, "Napr", "10.5", false, "11", "11");
        row("voltage 1,6", Source, "Napr", "1,6", false, "2", "2");
        row("voltage 10,4", Source, "Napr", "10,4", false, "10", "10");
        row("voltage, negative half", Source, "Napr", "-2,5", false, "(3)", "-3");
        row("voltage, grouped", Source, "Napr", "1 500,5", false, "1" + kNbsp + "501", "1501");
        row("maximum load, stored as its text", Section, "Max_Nagr", "63,5", false, "64", "64");
        row("maximum load, Enter in the field", Section, "Max_Nagr", "63,5", true, "64", "64");
        row("load change", Mode, "Izm_Nagr", "-10,5", false, "(11)", "-11");
        // A key a field cannot take is refused with a beep, and no digit around it is lost.
        row("second decimal sign", Source, "X_Min", "0,4.5", false, "0.45", "0.45", 1);
        row("letter in a decimal field", Wire, "R", "1x5", false, "15", "15", 1);
        row("second decimal sign in a whole number", Source, "Napr", "1,5,5", false, "2", "2", 1);
        row("letter in a whole number", Source, "Napr", "1a0", false, "10", "10", 1);
        row("letter in a catalog whole number", Wire, "R_V", "2x", false, "2", "2", 1);
        row("name beyond its 20 characters", Source, "Name", "abcdefghijklmnopqrstu", false,
            "abcdefghijklmnopqrst", "abcdefghijklmnopqrst", 1);
    }
    void typedNumberIsStoredAsShown() {
        QFETCH(int, dialog);
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(bool, enter);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        QFETCH(int, beeps);
        QString shownWhenLeft;
        int refused = 0;
        add(Dialog(dialog), typing(field, keys, enter, shownWhenLeft, refused));
        QCOMPARE(shownWhenLeft, shown);
        QCOMPARE(this->stored(Dialog(dialog), field), stored);
        QCOMPARE(refused, beeps);
        QVERIFY(user->messages.isEmpty());
        QVERIFY(user->errors.isEmpty());
    }

    // Enter in a field shows at once what will be stored, while the focus is still there: a dialog that
    // Enter closes is read before the desktop takes the focus away.
    void enterShowsWhatWillBeStored_data() {
        QTest::addColumn<bool>("decimal");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("decimal field") << true << "2,50"
                                       << "2.5";
        QTest::newRow("whole-number field") << false << "1500,5"
                                            << "1501";
    }
    void enterShowsWhatWillBeStored() {
        QFETCH(bool, decimal);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QWidget window;
        QWidget* field = decimal ? static_cast<QWidget*>(new DecimalSpinField(&window))
                                 : static_cast<QWidget*>(new WholeNumberField(&window));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, keys);
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(field->hasFocus());
        QCOMPARE(shownText(field), shown);
    }
};

QTEST_MAIN(TestTypedNumbers)
#include "test_typed_numbers.moc"
