// Warnings while typing, through the real dialogs: beside the section's and the mode's fields, saying what
// the calculation would find wrong and refusing nothing; in the coefficient table, every bad cell marked as
// it is typed and listed on OK, and the note on provisional values.

#include "model/project_file.h"
#include "support/main_controls.h"
#include "support/scripted_interaction.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/main_window/form_main.h"
#include "ui/main_window/workbench.h"
#include "ui/reference/tf_koefnagr.h"
#include "ui/widgets/field_hint.h"
#include "document/project_document.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

const QString kCode = "Шифр должен быть от 1 до 32";
const QString kCatalog = "Нет в справочнике";

// One line of one section and one mode whose code, wire and transformer are all wrong: every hinted field
// opens with its warning.
TProect wrongOnes() {
    TProect p;
    TSource& source = p.Sources.append();
    source.Code = 1;
    TLines& line = source.Lines.append();
    line.Name = "101";
    TLine& section = line.Sections.append();
    section.L_Begin = "101";
    section.L_End = "1";
    section.Dlina = 1;
    section.Provod = "AC-999";
    section.Gr_Nagr = "3000";
    section.Max_Nagr = "100";
    section.Trans = toCp1251("ТМ-999");
    TModeWork& mode = source.ModeWorks.append();
    mode.L_Begin = "101";
    mode.Provod = "AC-999";
    mode.Dlina = 1;
    return p;
}

// Types the text key by key; a letter beyond ASCII comes as the key event of a Russian layout does.
void typeText(QWidget* field, const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x80)
            QTest::keyClick(field, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestTypingHints : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        start();
        const QString path = workspace->path("wrong.k10");
        k10::writeProject(path.toStdString(), wrongOnes());
        user->files.push_back(path);
        MainControls(main).N6->trigger();
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void warningBesideTheField_data() {
        QTest::addColumn<bool>("mode"); // the mode dialog, else the section dialog
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("warning");
        auto row = [](const char* name, bool mode, const char* field, const QString& typed, const QString& warning) {
            QTest::newRow(name) << mode << QString(field) << typed << warning;
        };
        row("code 3000", false, "Gr_Nagr", "3000", kCode);
        row("code 0", false, "Gr_Nagr", "0", kCode);
        row("code 33", false, "Gr_Nagr", "33", kCode);
        row("code not a number", false, "Gr_Nagr", "1a", kCode);
        row("code 32", false, "Gr_Nagr", "32", "");
        row("code with blanks around", false, "Gr_Nagr", " 7 ", "");
        row("no code", false, "Gr_Nagr", "", "");
        row("wire the catalog lacks", false, "Provod_Box", "АС-36", kCatalog);
        row("wire in Latin letters", false, "Provod_Box", "AC-35", kCatalog);
        row("wire of the catalog", false, "Provod_Box", "АС-35", "");
        row("wire with a blank after it", false, "Provod_Box", "АС-35 ", "");
        row("transformer the catalog lacks", false, "Trans_Box", "ТМ-999", kCatalog);
        row("transformer of the catalog", false, "Trans_Box", "ТМ-40", "");
        row("no transformer", false, "Trans_Box", "", "");
        row("jumper wire the catalog lacks", true, "Provod_Box", "AC-999", kCatalog);
        row("jumper wire of the catalog", true, "Provod_Box", "АС-25", "");
        row("switch without a wire", true, "Provod_Box", "", "");
    }
    void warningBesideTheField() {
        QFETCH(bool, mode);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, warning);
        QString opened, shown;
        user->scripts.push_back([&](QDialog& dialog) {
            dialog.show();
            auto* hint = dialog.findChild<FieldHint*>(field + "Hint");
            QWidget* target = dialog.findChild<QWidget*>(field);
            if (!hint || !target)
                return false;
            opened = hint->text();
            // Beside the field: to its right, on its row.
            const QRect at(target->mapTo(&dialog, QPoint()), target->size());
            const QRect hintAt(hint->mapTo(&dialog, QPoint()), hint->size());
            if (hintAt.left() <= at.right() || qAbs(hintAt.center().y() - at.center().y()) > 4)
                return false;
            auto* combo = qobject_cast<QComboBox*>(target);
            QLineEdit* editor = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(target);
            editor->setFocus();
            editor->selectAll();
            QTest::keyClick(editor, Qt::Key_Delete);
            typeText(editor, typed);
            shown = hint->text();
            dialog.findChild<QPushButton*>("OkButton")->click();
            return dialog.result() == QDialog::Accepted;
        });
        (mode ? MainControls(main).ModeWork_Edit : MainControls(main).Line_Edit)->trigger();
        QCOMPARE(opened, field == "Trans_Box" || field == "Provod_Box" ? kCatalog : kCode);
        QCOMPARE(shown, warning);
        // Nothing is refused: the record keeps the text as typed.
        const TSource& source = forms->Document->project().Sources[1];
        const TLine& section = source.Lines[1].Sections[1];
        const k10::Text& stored = mode                   ? source.ModeWorks[1].Provod
                                  : field == "Gr_Nagr"   ? section.Gr_Nagr
                                  : field == "Trans_Box" ? section.Trans
                                                         : section.Provod;
        QCOMPARE(fromCp1251(stored), typed);
        QVERIFY(user->messages.isEmpty());
    }

    // The cells: 2 for a share, −1 for a cos φ, letters; each marked as typed with its reason, put
    // right unmarked, all of them listed on OK; the note stands while the grid holds the built-in values.
    void coefficientCellsMarkedAndListed() {
        const struct {
            int code;
            int column;
            QString typed;
            QString reason; // the tooltip, empty for a good value
        } cells[] = {
            {3, 2, "2", "«2» вне пределов от 0 до 1,5."},
            {4, 3, "abc", "«abc» не является числом."},
            {4, 3, "0,5", ""},
            {5, 5, "-1", "«-1» вне пределов: больше 0 и не больше 1."},
            {8, 3, "abc", "«abc» не является числом."},
        };
        QStringList failures;
        QString listed;
        bool noteAtOpening = false, noteAfterTyping = true, noteAfterDefaults = false;
        user->scripts.push_back([&](QDialog& dialog) {
            auto& table = static_cast<TF_KoefNagr&>(dialog);
            dialog.show();
            dialog.activateWindow();
            if (!QTest::qWaitForWindowActive(&dialog))
                failures << "the dialog did not become active";
            noteAtOpening = table.ProvisionalNote->isVisible() &&
                            table.ProvisionalNote->text() ==
                                "Значения предварительные: замените их значениями из руководящих материалов";
            for (const auto& cell : cells) {
                QTableWidgetItem* item = table.Grid->item(cell.code - 1, cell.column);
                table.Grid->setCurrentItem(item);
                table.Grid->editItem(item);
                QWidget* editor = QApplication::focusWidget();
                QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
                typeText(editor, cell.typed);
                QTest::keyClick(editor, Qt::Key_Return);
                QCoreApplication::processEvents(); // the cell takes the text on the next turn
                const bool marked = item->data(Qt::BackgroundRole).isValid();
                if (item->text() != cell.typed || item->toolTip() != cell.reason || marked == cell.reason.isEmpty())
                    failures << QString("%1/%2: «%3» %4 «%5»")
                                    .arg(cell.code)
                                    .arg(cell.column)
                                    .arg(item->text(), marked ? "marked" : "unmarked", item->toolTip());
            }
            noteAfterTyping = table.ProvisionalNote->isVisible();
            table.OkButton->click();
            if (dialog.result() == QDialog::Accepted || !dialog.isVisible())
                return true;
            listed = user->messages.value(0);
            if (table.Grid->currentRow() != 2 || table.Grid->currentColumn() != 2)
                failures << "the first bad cell is not the current one";
            table.DefaultsButton->click();
            noteAfterDefaults = table.ProvisionalNote->isVisible();
            for (int row = 0; row < table.Grid->rowCount(); ++row)
                for (int column = TF_KoefNagr::kFirstValueColumn; column < table.Grid->columnCount(); ++column)
                    if (!table.Grid->item(row, column)->toolTip().isEmpty())
                        failures << "marked after «По умолчанию»";
            table.CancelButton->click();
            return false;
        });
        MainControls(main).N20->trigger();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
        QCOMPARE(user->messages.size(), 1);
        QCOMPARE(listed, "Шифр 3, столбец «k дн.»: «2» вне пределов от 0 до 1,5.\n"
                         "Шифр 5, столбец «cos φ веч.»: «-1» вне пределов: больше 0 и не больше 1.\n"
                         "Шифр 8, столбец «k веч.»: «abc» не является числом.");
        QVERIFY(noteAtOpening);
        QVERIFY(!noteAfterTyping);
        QVERIFY(noteAfterDefaults);
        QVERIFY(!QFile::exists(k10::LoadCoefficientFile));
    }
};

QTEST_MAIN(TestTypingHints)
#include "test_typing_hints.moc"
