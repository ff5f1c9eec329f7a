// The DOS import as the workbench runs it: the file dialog, the messages, the tables.

#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "document/project_document.h"
#include "text/codepage.h"
#include "ui/main_window/form_main.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QtTest>

#include <memory>

namespace {

// Writes a DOS file: the text in code page 866 with CR LF row ends.
void writeDos(const QString& path, const QStringList& rows) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const QString& row : rows)
        file.write(QByteArray::fromStdString(k10::cp1251ToCp866(*k10::utf8ToCp1251(row.toStdString())) + "\r\n"));
}

const QString kSource1 = "ПС Северная          5,0.1,0.2,0.3,0.4,10";
const QString kSource2 = "ПС Заречная          7,1,2,3,4";

} // namespace

class TestImportWindow : public QObject, WindowFixture {
    Q_OBJECT


    void import(const QString& file) {
        user->files.push_back(file);
        ui->DOS1->trigger();
    }

private slots:
    void init() {
        start();
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void fullSetFillsTheTables() {
        writeDos(workspace->path("net.ip"), {kSource1, kSource2});
        writeDos(workspace->path("net.lin"), {" 201,A1,1.5,АС-50,3,160,ТМ-160", "A1,A2,0.5", "", " 101,B1,2"});
        import(workspace->path("net.reg"));
        QCOMPARE(user->messages, QStringList({"Импорт закончен"}));
        QCOMPARE(user->dialogs, QStringList({"I_forDos"}));
        QCOMPARE(gridRows(ui->SourceGrid),
                 QStringList({"ПС Северная          |5|10|0.1|0.2|0.3|0.4", "ПС Заречная          |7|0|1|2|3|4"}));
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"101"}));
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"101|B1|2||||"}));
        ui->SourceGrid->setCurrentCell(1, 0);
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"201|A1|1.5|АС-50|3|160|ТМ-160", "A1|A2|0.5||||"}));
        QVERIFY(user->errors.isEmpty());
    }

    void missingLineFileImportsTheSourcesWithAWarning() {
        // The extension decides the checks, with its letter case: a set stored in capitals.
        writeDos(workspace->path("NET.IP"), {kSource1});
        import(workspace->path("NET.IP"));
        QCOMPARE(user->messages, QStringList({"фаил NET.lin не найден.\rБудут импортированы только источники питания.",
                                              "Импорт закончен"}));
        QCOMPARE(forms->Document->project().SourceCount(), 1);
        QCOMPARE(forms->Document->project().Sources[1].LineCount(), 0);
    }

    void refusalAndFailureChangeNothing() {
        writeDos(workspace->path("old.ip"), {kSource1});
        import(workspace->path("old.ip"));
        QStringList before = gridRows(ui->SourceGrid);

        import(workspace->path("NONE.LIN"));
        writeDos(workspace->path("bad.ip"), {kSource1, kSource2});
        writeDos(workspace->path("bad.lin"), {" 101,A1,1", "", "", " 201,B1,1"});
        import(workspace->path("bad.lin"));
        QCOMPARE(user->messages.mid(1), QStringList({"фаил NONE.ip не найден.\rЭкспорт невозможен.",
                                                     "Ошибка в файлах. Импорт невозможен"}));
        QCOMPARE(forms->Document->project().SourceCount(), 1);
        QCOMPARE(gridRows(ui->SourceGrid), before);
    }

    void importAddsAfterTheOpenSourcesAndSelectsTheFirst() {
        writeDos(workspace->path("a.ip"), {kSource1});
        import(workspace->path("a.ip"));
        writeDos(workspace->path("b.ip"), {kSource2});
        writeDos(workspace->path("b.lin"), {" 101,X1,1"});
        ui->SourceGrid->setCurrentCell(0, 0);
        import(workspace->path("b.ip"));
        QCOMPARE(forms->Document->project().SourceCount(), 2);
        QCOMPARE(ui->SourceGrid->rowCount(), 2);
        // The line file's source 1 is the first source of the set, now the project's second.
        QCOMPARE(forms->Document->project().Sources[2].LineCount(), 1);
        QCOMPARE(forms->Document->project().Sources[1].LineCount(), 0);
        QCOMPARE(place->source(), 0);
        QCOMPARE(ui->SourceGrid->currentRow(), 0);
    }

    // An import is one unsaved change: undone whole, it leaves the project as it was before.
    void importIsUndoneWhole() {
        writeDos(workspace->path("a.ip"), {kSource1});
        import(workspace->path("a.ip"));
        writeDos(workspace->path("b.ip"), {kSource2});
        writeDos(workspace->path("b.lin"), {" 101,X1,1"});
        import(workspace->path("b.ip"));
        QVERIFY(forms->Document->isModified());
        QCOMPARE(ui->N18->text(), QString("Отменить: импорт из DOS"));
        ui->N18->trigger();
        QCOMPARE(forms->Document->project().SourceCount(), 1);
        QCOMPARE(gridRows(ui->SourceGrid), QStringList({"ПС Северная          |5|10|0.1|0.2|0.3|0.4"}));
        ui->N18->trigger();
        QCOMPARE(forms->Document->project().SourceCount(), 0);
        QVERIFY(!forms->Document->isModified());
        ui->N19->trigger();
        ui->N19->trigger();
        QCOMPARE(forms->Document->project().SourceCount(), 2);
        QCOMPARE(forms->Document->project().Sources[2].LineCount(), 1);
        QCOMPARE(place->source(), 1);
    }

    void cancelledChoiceDoesNothing() {
        user->files.push_back(QString());
        ui->DOS1->trigger();
        QVERIFY(user->messages.isEmpty());
        QCOMPARE(forms->Document->project().SourceCount(), 0);
    }

    void dialogShowsTheDosFilter() {
        QCOMPARE(ui->I_forDos->nameFilters().constFirst().left(30), QString("Dos Korvane(*.ip;*.lin;*.reg) "));
        QVERIFY(ui->I_forDos->testOption(QFileDialog::HideNameFilterDetails));
    }
};

QTEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
