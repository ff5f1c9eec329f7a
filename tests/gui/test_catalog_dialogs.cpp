// The wire and transformer catalog dialogs: add, change and delete through the real dialogs, their grid,
// the drop-down lists that offer the names, and the catalog files.

#include "catalogs/catalog_files.h"
#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "text/codepage.h"
#include "text/file_io.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/records/tf_line.h"
#include "ui/records/tf_modework.h"
#include "ui/reference/tf_provodedit.h"
#include "ui/reference/tf_spravprovod.h"
#include "ui/reference/tf_spravtrans.h"
#include "ui/reference/tf_transedit.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kWireLimit = joinLines("расчетная программа поддерживает не более 30 марок ",
                                     "Удалите не используемый провод и попробуйте снова");
const QString kTransLimit = joinLines("Расчетная программа поддерживает не более 20 марок ",
                                      "Удалите не используемый провод и попробуйте снова");
const QString kColon = "Марка не может содержать двоеточие: в файле справочника оно разделяет поля.";

// Replaces a field's text key by key, so the field's own rules apply as they do to the user's typing.
void type(QWidget* field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->clear();
    else
        static_cast<QAbstractSpinBox*>(field)->selectAll();
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The walk of the Tab key from the first control, by object name, over the controls named.
QStringList tabWalk(QWidget* first, const QStringList& names) {
    QStringList walked;
    for (QWidget* w = first; walked.size() < names.size(); w = w->nextInFocusChain())
        if (names.contains(w->objectName()) && !walked.contains(w->objectName()))
            walked << w->objectName();
    return walked;
}

} // namespace

class TestCatalogDialogs : public QObject {
    Q_OBJECT

    using Script = ScriptedInteraction::DialogScript;

    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<ScriptedInteraction> user;
    std::unique_ptr<Workbench> forms;
    TFormMain* main = nullptr;
    std::unique_ptr<MainControls> ui;

    // One catalog as the tests see it: its dialogs, the lists that offer its names, its memory and file.
    struct Side {
        CatalogDialog* dialog;
        CatalogEntryDialog* entry;
        QAction* command;
        QStringList fields; // the entry dialog's fields, in the order of the record
        const char* file;
        QList<QComboBox*> lists;
        std::function<QStringList()> names;
        std::function<QStringList(int slot)> record; // the fields of one entry as text
        std::function<std::string()> serialized;     // what the file must hold
    };
    Side side(bool wires) const {
        const ProjectDocument* m = forms->Document.get();
        if (wires)
            return {forms->F_SpravProvod,
                    forms->F_ProvodEdit,
                    ui->N14,
                    {"Name_Provod", "R", "X", "Tok", "R_V", "R_G"},
                    k10::WireCatalogFile,
                    {forms->F_Line->Provod_Box, forms->F_ModeWork->Provod_Box},
                    [m] { return namesOf(m->reference<k10::WireCatalog>().data()); },
                    [m](int slot) {
                        const TProvoda& w = m->reference<k10::WireCatalog>().data()[slot];
                        return QStringList{fromCp1251(w.Name.view()), QString::number(w.R),
                                           QString::number(w.X),      QString::number(w.Tok),
                                           QString::number(w.R_V),    QString::number(w.R_G)};
                    },
                    [m] { return k10::serializeWireCatalog(m->reference<k10::WireCatalog>().data()); }};
        return {forms->F_SpravTrans,
                forms->F_TransEdit,
                ui->N16,
                {"Name_Trans", "S", "U", "dP"},
                k10::TransCatalogFile,
                {forms->F_Line->Trans_Box},
                [m] { return namesOf(m->reference<k10::TransCatalog>().data()); },
                [m](int slot) {
                    const TTrans& t = m->reference<k10::TransCatalog>().data()[slot];
                    return QStringList{fromCp1251(t.Name.view()), QString::number(t.S), QString::number(t.U),
                                       QString::number(t.dP)};
                },
                [m] { return k10::serializeTransCatalog(m->reference<k10::TransCatalog>().data()); }};
    }
    template <class Catalog> static QStringList namesOf(const Catalog& catalog) {
        QStringList names;
        for (const auto& entry : catalog)
            names << fromCp1251(entry.Name.view());
        return names;
    }
    static QStringList items(const QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }
    static std::string fileBytes(const Side& s) { return k10::readWholeFile(s.file); }
    // Memory, grid, lists and file all show the same catalog.
    static void checkAllAgree(const Side& s) {
        QStringList names = s.names();
        QCOMPARE(gridRows(s.dialog->Grid), names.isEmpty() ? QStringList{""} : names);
        for (QComboBox* list : s.lists)
            QCOMPARE(items(list), names);
        QCOMPARE(fileBytes(s), s.serialized());
    }
    static QStringList state(const Side& s) {
        QStringList all = gridRows(s.dialog->Grid) + s.names();
        for (QComboBox* list : s.lists)
            all += items(list);
        return all << QString::fromStdString(fileBytes(s));
    }

    void start() {
        forms = std::make_unique<Workbench>(*user);
        main = forms->FormMain;
        ui = std::make_unique<MainControls>(main);
        forms->show();
    }
    // Opens the catalog dialog through its menu item; `steps` press its buttons, and the entry dialogs
    // they open follow `entries`.
    void inDialog(const Side& s, const std::function<void()>& steps, const QList<Script>& entries = {}) {
        user->scripts.push_back([steps](QDialog&) {
            steps();
            return false;
        });
        for (const Script& entry : entries)
            user->scripts.push_back(entry);
        s.command->trigger();
    }
    // Types into the entry dialog's fields and presses OK, or Cancel; a refused OK answers Cancel.
    static Script typeInto(const QStringList& fields, const QStringList& texts, bool ok = true) {
        return [fields, texts, ok](QDialog& d) {
            for (int i = 0; i < texts.size(); ++i)
                type(d.findChild<QWidget*>(fields[i]), texts[i]);
            if (!ok)
                return false;
            d.setResult(QDialog::Rejected);
            d.findChild<QPushButton*>("OkButton")->click();
            return d.result() == QDialog::Accepted;
        };
    }
    static void select(const Side& s, int row) { s.dialog->Grid->setCurrentCell(row, 0); }

    void sides() {
        QTest::addColumn<bool>("wires");
        QTest::newRow("wires") << true;
        QTest::newRow("transformers") << false;
    }

private slots:
    void init() {
        workspace = std::make_unique<Workspace>();
        user = std::make_unique<ScriptedInteraction>();
    }
    void cleanup() {
        ui.reset();
        const QStringList unexpected = tearDown(forms, user, workspace);
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void dialogsCaptionsButtonsAndFocus() {
        start();
        for (bool wires : {true, false}) {
            CatalogDialog* d = side(wires).dialog;
            QCOMPARE(QStringList({d->BitBtn1->text(), d->BitBtn3->text(), d->BitBtn2->text()}),
                     QStringList({"&Новый", "&Исправить", "Удалить"}));
            QVERIFY(d->BitBtn1->isDefault());
            QCOMPARE(d->PopupMenu1->actions(), QList<QAction*>({d->N1, d->N2, d->N3}));
            QCOMPARE(QStringList({d->N1->text(), d->N2->text(), d->N3->text()}),
                     QStringList({"Добавить", "Изменить", "Удалить"}));
            const QStringList order = {"Grid", "BitBtn1", "BitBtn3", "BitBtn2"};
            QCOMPARE(tabWalk(d->Grid, order), order);
        }
        QCOMPARE(forms->F_SpravProvod->windowTitle(), QString("Справочник проводов"));
        QCOMPARE(forms->F_SpravTrans->windowTitle(), QString("Справочник трансформаторов"));
        QCOMPARE(forms->F_ProvodEdit->windowTitle(), QString("Добавление/исправление марки провода"));
        QCOMPARE(forms->F_TransEdit->windowTitle(), QString("Добавление"));

        auto labels = [](QDialog* d) {
            QStringList texts;
            for (QLabel* label : d->findChildren<QLabel*>())
                texts << label->text() + (label->buddy() ? "=" + label->buddy()->objectName() : QString());
            return texts;
        };
        QCOMPARE(labels(forms->F_ProvodEdit),
                 QStringList({"Марка провода=Name_Provod", "R=R", "Ом", "X=X", "Ом", "Доп. ток=Tok", "кА",
                              "Район \nпо ветру=R_V", "Район по\nгололеду=R_G"}));
        QCOMPARE(labels(forms->F_TransEdit),
                 QStringList({"Марка трансформатора=Name_Trans", "S<sub>ном</sub>=S", "U<sub>k%</sub>=U",
                              "dP<sub>k</sub>=dP"}));
        const QStringList wireOrder = {"Name_Provod", "R",   "X",        "Tok",
                                       "R_V",         "R_G", "OkButton", "CancelButton"};
        QCOMPARE(tabWalk(forms->F_ProvodEdit->Name_Provod, wireOrder), wireOrder);
        const QStringList transOrder = {"Name_Trans", "U", "dP", "OkButton", "CancelButton", "S"};
        QCOMPARE(tabWalk(forms->F_TransEdit->Name_Trans, transOrder), transOrder);

        for (QDialog* d : QList<QDialog*>{forms->F_SpravProvod, forms->F_ProvodEdit, forms->F_TransEdit}) {
            d->show();
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(!d->isVisible());
            d->setResult(QDialog::Accepted);
            d->show();
            d->close(); // the title bar's close box
            QCOMPARE(d->result(), int(QDialog::Rejected));
        }
    }

    void addStoresCutValuesAndShowsTheTypedName_data() {
        QTest::addColumn<bool>("wires");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("wire") << true << QStringList{"А-10", "0.42", "0.4", "0.2", "2", "3"}
                              << QStringList{"А-10", "0.42", "0.4", "0.2", "2", "3"};
        QTest::newRow("wire: long name, regions 256 and 300")
            << true << QStringList{"АС-120/19x", "1", "2.5", "3", "256", "300"}
            << QStringList{"АС-120/19", "1", "2.5", "3", "0", "44"};
        QTest::newRow("wire: negative regions") << true << QStringList{"М-25", "0", "0", "0", "-1", "-255"}
                                                << QStringList{"М-25", "0", "0", "0", "255", "1"};
        QTest::newRow("transformer: power 70000") << false << QStringList{"ТМ-1000000", "70000", "4.5", "3.7"}
                                                  << QStringList{"ТМ-100000", "4464", "4.5", "3.7"};
        QTest::newRow("transformer: power 65535")
            << false << QStringList{"ТМ", "65535", "1e-5", "-2"} << QStringList{"ТМ", "65535", "1e-05", "-2"};
        QTest::newRow("transformer: power 65536")
            << false << QStringList{"ТМ", "65536", "0", "0"} << QStringList{"ТМ", "0", "0", "0"};
    }
    void addStoresCutValuesAndShowsTheTypedName() {
        QFETCH(bool, wires);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, stored);
        start();
        Side s = side(wires);
        const QStringList names = s.names();
        type(s.entry->findChild<QWidget*>(s.fields[0]), "прежнее"); // the dialog is emptied before it shows
        QStringList prefilled;
        Script fill = typeInto(s.fields, typed);
        inDialog(s, [&] { s.dialog->BitBtn1->click(); }, {[&, fill](QDialog& d) {
                     prefilled << d.windowTitle();
                     for (const QString& field : s.fields)
                         prefilled << d.findChild<QWidget*>(field)->property("text").toString();
                     return fill(d);
                 }});
        const int n = names.size() + 1;
        QCOMPARE(prefilled, QStringList({"Добавление", ""}) + QStringList(s.fields.size() - 1, "0"));
        QCOMPARE(s.record(n), stored);
        QCOMPARE(gridRows(s.dialog->Grid), names + QStringList{typed[0]});
        for (QComboBox* list : s.lists)
            QCOMPARE(items(list), names); // not before the next change or delete
        QCOMPARE(fileBytes(s), s.serialized());

        // A change refills the grid and the lists from the stored names.
        inDialog(s, [&] { s.dialog->BitBtn3->click(); }, {typeInto(s.fields, {})});
        checkAllAgree(s);
        QCOMPARE(s.names().last(), stored[0]);
        QVERIFY(user->messages.isEmpty() && user->errors.isEmpty());
    }

    void changeReplacesOneEntryAndRefillsTheLists_data() {
        QTest::addColumn<bool>("wires");
        QTest::addColumn<QString>("caption");
        QTest::newRow("wires") << true << "Добавление";
        QTest::newRow("transformers") << false << "Измеенение";
    }
    void changeReplacesOneEntryAndRefillsTheLists() {
        QFETCH(bool, wires);
        QFETCH(QString, caption);
        start();
        Side s = side(wires);
        const int count = s.names().size();
        QList<QStringList> records;
        for (int slot = 1; slot <= count; ++slot)
            records << s.record(slot);
        QStringList shown;
        inDialog(s,
                 [&] {
                     select(s, 2);
                     s.dialog->N2->trigger();
                 },
                 {[&](QDialog& d) {
                     shown << d.windowTitle();
                     for (const QString& field : s.fields)
                         shown << d.findChild<QWidget*>(field)->property("text").toString();
                     return typeInto(s.fields, {"Новая", "7"})(d);
                 }});
        QCOMPARE(shown, QStringList{caption} + records[2]);
        records[2][0] = "Новая";
        records[2][1] = "7";
        for (int slot = 1; slot <= count; ++slot)
            QCOMPARE(s.record(slot), records[slot - 1]);
        checkAllAgree(s);
    }

    void deleteMovesTheLaterEntriesUp_data() {
        QTest::addColumn<bool>("wires");
        QTest::addColumn<int>("row"); // -1 for the last
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("first wire") << true << 0 << false;
        QTest::newRow("middle wire, menu") << true << 5 << true;
        QTest::newRow("last wire") << true << -1 << false;
        QTest::newRow("first transformer, menu") << false << 0 << true;
        QTest::newRow("last transformer") << false << -1 << false;
    }
    void deleteMovesTheLaterEntriesUp() {
        QFETCH(bool, wires);
        QFETCH(int, row);
        QFETCH(bool, viaMenu);
        start();
        Side s = side(wires);
        QStringList names = s.names();
        if (row < 0)
            row = int(names.size()) - 1;
        user->answers = {true};
        inDialog(s, [&] {
            select(s, row);
            viaMenu ? s.dialog->N3->trigger() : s.dialog->BitBtn2->click();
        });
        QCOMPARE(user->questions, QStringList{wires ? "Вы уверены, что хотите удалить провод ?"
                                                    : "Вы уверены, что хотите удалить трансформатор ?"});
        names.removeAt(row);
        QCOMPARE(s.names(), names);
        checkAllAgree(s);
        // The grid keeps its current row, or moves it to the new last row.
        QCOMPARE(s.dialog->SelectedRow, std::min<int>(row, names.size() - 1));
        QCOMPARE(s.dialog->Grid->currentRow(), s.dialog->SelectedRow);
    }

    void deletingTheOnlyEntryLeavesNothingToChange_data() { sides(); }
    void deletingTheOnlyEntryLeavesNothingToChange() {
        QFETCH(bool, wires);
        TTrans transformer;
        transformer.Name = toCp1251("ТМ-25");
        k10::TransCatalog one;
        one.append(transformer);
        k10::writeTransCatalog(k10::TransCatalogFile, one);
        k10::WireCatalog wire;
        wire.append().Name = toCp1251("А-16");
        k10::writeWireCatalog(k10::WireCatalogFile, wire);
        start();
        Side s = side(wires);
        user->answers = {true};
        inDialog(s, [&] {
            s.dialog->BitBtn2->click();
            // No entry is left at SelectedRow: change and delete do nothing and ask nothing.
            s.dialog->BitBtn3->click();
            s.dialog->BitBtn2->click();
        });
        QCOMPARE(user->questions.size(), 1);
        QCOMPARE(user->dialogs, QStringList{s.dialog->objectName()});
        QVERIFY(user->messages.isEmpty());
        QVERIFY(s.names().isEmpty());
        checkAllAgree(s);
        if (!wires)
            QCOMPARE(fileBytes(s), std::string());
    }

    void noAndCancelChangeNothing_data() {
        QTest::addColumn<bool>("wires");
        QTest::addColumn<int>("button"); // 1 add, 3 change, 2 delete
        for (bool wires : {true, false}) {
            const char* name = wires ? "wires" : "transformers";
            QTest::addRow("%s: Cancel an add", name) << wires << 1;
            QTest::addRow("%s: Cancel a change", name) << wires << 3;
            QTest::addRow("%s: No to a delete", name) << wires << 2;
        }
    }
    void noAndCancelChangeNothing() {
        QFETCH(bool, wires);
        QFETCH(int, button);
        start();
        Side s = side(wires);
        const QStringList before = state(s);
        user->answers = {false};
        inDialog(s,
                 [&] {
                     select(s, 1);
                     s.dialog->findChild<QPushButton*>(QString("BitBtn%1").arg(button))->click();
                 },
                 {typeInto(s.fields, {"Другая", "9"}, false)});
        if (button == 2)
            user->scripts.clear();
        QCOMPARE(state(s), before);
        QCOMPARE(user->questions.size(), button == 2 ? 1 : 0);
    }

    void addIsRefusedAtTheLimit_data() {
        QTest::addColumn<bool>("wires");
        QTest::addColumn<int>("count");
        QTest::newRow("31 wires") << true << 31;
        QTest::newRow("30 wires") << true << 30;
        QTest::newRow("21 transformers") << false << 21;
        QTest::newRow("20 transformers") << false << 20;
    }
    void addIsRefusedAtTheLimit() {
        QFETCH(bool, wires);
        QFETCH(int, count);
        k10::WireCatalog wireCatalog;
        k10::TransCatalog transCatalog;
        for (int i = 1; i <= count; ++i) {
            std::string name = "N" + std::to_string(i);
            wires ? void(wireCatalog.append().Name = name) : void(transCatalog.append().Name = name);
        }
        if (wires)
            k10::writeWireCatalog(k10::WireCatalogFile, wireCatalog);
        else
            k10::writeTransCatalog(k10::TransCatalogFile, transCatalog);
        start();
        Side s = side(wires);
        QCOMPARE(s.names().size(), count); // read in full
        const QString limit = wires ? kWireLimit : kTransLimit;
        const bool roomAfterDelete = count - 1 < (wires ? 30 : 20);
        user->answers = {true};
        QList<Script> entries = {typeInto(s.fields, {"Последняя"})};
        if (roomAfterDelete)
            entries << typeInto(s.fields, {"Добавлена"});
        inDialog(
            s,
            [&] {
                s.dialog->BitBtn1->click();
                select(s, count - 1);
                s.dialog->BitBtn3->click();
                select(s, 0);
                s.dialog->BitBtn2->click();
                s.dialog->BitBtn1->click();
            },
            entries);
        QCOMPARE(user->messages, QStringList(roomAfterDelete ? 1 : 2, limit));
        QStringList names = s.names();
        QCOMPARE(names.size(), roomAfterDelete ? count : count - 1);
        QCOMPARE(names.first(), QString("N2       "));
        QCOMPARE(names.at(count - 2), QString("Последняя"));
        if (roomAfterDelete)
            QCOMPARE(gridRows(s.dialog->Grid).last(), QString("Добавлена"));
        QCOMPARE(fileBytes(s), s.serialized());
    }

    void nameTheFileCannotHoldIsRefused_data() {
        QTest::addColumn<bool>("wires");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("throughOk");
        QTest::addColumn<QString>("message");
        const QString euro =
            "Марка не может содержать символ «€»: его нет в кодировке DOS (866) файла справочника.";
        QTest::newRow("colon in a wire") << true << "А:16" << true << kColon;
        QTest::newRow("euro sign in a transformer") << false << "ТМ€" << true << euro;
        QTest::newRow("colon, OK without its button") << false << "ТМ:1" << false << kColon;
    }
    void nameTheFileCannotHoldIsRefused() {
        QFETCH(bool, wires);
        QFETCH(QString, name);
        QFETCH(bool, throughOk);
        QFETCH(QString, message);
        start();
        Side s = side(wires);
        const QStringList before = s.names();
        bool refusedThenTaken = false;
        Script entry = [&](QDialog& d) {
            type(d.findChild<QWidget*>(s.fields[0]), name);
            if (!throughOk)
                return true;
            d.setResult(QDialog::Rejected);
            s.entry->OkButton->click();
            bool refused = d.result() == QDialog::Rejected && user->messages == QStringList{message};
            refusedThenTaken = refused && typeInto(s.fields, {"Годная"})(d);
            return d.result() == QDialog::Accepted;
        };
        inDialog(s, [&] { s.dialog->BitBtn1->click(); }, {entry});
        QCOMPARE(user->messages, QStringList{message});
        QCOMPARE(s.names(), throughOk ? before + QStringList{"Годная"} : before);
        QCOMPARE(refusedThenTaken, throughOk);
        QCOMPARE(fileBytes(s), s.serialized());
    }

    void unreadCatalogRefusesEveryChange_data() { sides(); }
    void unreadCatalogRefusesEveryChange() {
        QFETCH(bool, wires);
        const std::string badTransformers = "ТМ-25    : x   : 4.5 : 0.6 : \r\n";
        if (wires)
            QFile::remove(k10::WireCatalogFile);
        else
            k10::writeFileAtomically(k10::TransCatalogFile, badTransformers);
        start();
        QCOMPARE(user->errors.size(), 1); // the start-up's
        Side s = side(wires);
        user->answers = {true};
        inDialog(s, [&] {
            for (QPushButton* button : {s.dialog->BitBtn1, s.dialog->BitBtn3, s.dialog->BitBtn2})
                button->click();
        });
        user->answers.clear();
        const QString refusal =
            wires ? "Справочник проводов не был прочитан из файла spravp.dat при запуске программы, поэтому "
                    "изменять его нельзя. Исправьте файл и запустите программу снова."
                  : "Справочник трансформаторов не был прочитан из файла spravt.dat при запуске программы, "
                    "поэтому изменять его нельзя. Исправьте файл и запустите программу снова.";
        QCOMPARE(user->messages, QStringList(3, refusal));
        QVERIFY(user->questions.isEmpty());
        QCOMPARE(user->dialogs, QStringList{s.dialog->objectName()});
        QVERIFY(s.names().isEmpty());
        if (wires)
            QVERIFY(!QFile::exists(k10::WireCatalogFile));
        else
            QCOMPARE(fileBytes(s), badTransformers);
    }

    // The file is written first: when it cannot be, the error is shown and the catalog, its grid and its
    // lists stay as the file is.
    void failedWriteKeepsTheCatalogAndShowsTheError_data() { sides(); }
    void failedWriteKeepsTheCatalogAndShowsTheError() {
        QFETCH(bool, wires);
        start();
        Side s = side(wires);
        const QStringList names = s.names();
        const QStringList rows = gridRows(s.dialog->Grid);
        QFile::remove(s.file);
        QVERIFY(QDir().mkdir(s.file));
        inDialog(s, [&] { s.dialog->BitBtn1->click(); }, {typeInto(s.fields, {"Х-1"})});
        QCOMPARE(user->errors, QStringList{"File access denied"});
        QCOMPARE(s.names(), names);
        QCOMPARE(gridRows(s.dialog->Grid), rows);
    }

    // The real modal dialogs: a wire added through TF_ProvodEdit, then the first wire deleted after the
    // real Yes/No question.
    void realDialogsAddAndDeleteAWire() {
        start();
        user->desktop = true; // the desktop's own boxes and dialogs from here on
        QString editCaption, question;
        QStringList afterAdd, afterDelete;
        auto closeStray = [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        };
        QTimer::singleShot(0, [&, closeStray] {
            auto* d = qobject_cast<TF_SpravProvod*>(QApplication::activeModalWidget());
            if (!d)
                return closeStray();
            QTimer::singleShot(0, [&, closeStray] {
                auto* e = qobject_cast<TF_ProvodEdit*>(QApplication::activeModalWidget());
                if (!e)
                    return closeStray();
                editCaption = e->windowTitle();
                type(e->Name_Provod, "А-300");
                type(e->R, "0.1");
                type(e->R_V, "300");
                QTest::keyClick(e, Qt::Key_Return); // the default button
            });
            d->BitBtn1->click();
            afterAdd = gridRows(d->Grid);

            QTimer::singleShot(0, [&, closeStray] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return closeStray();
                question = box->text();
                box->button(QMessageBox::Yes)->click();
            });
            d->Grid->setCurrentCell(0, 0);
            d->BitBtn2->click();
            afterDelete = gridRows(d->Grid);
            d->reject();
        });
        ui->N14->trigger();
        user->desktop = false;

        QCOMPARE(editCaption, QString("Добавление"));
        QCOMPARE(afterAdd.size(), 20);
        QCOMPARE(afterAdd.last(), QString("А-300"));
        QCOMPARE(question, QString("Вы уверены, что хотите удалить провод ?"));
        QCOMPARE(afterDelete.size(), 19);
        QCOMPARE(afterDelete.first(), QString("АС-25    "));
        const TProvoda& added = forms->Document->reference<k10::WireCatalog>().data()[19];
        QCOMPARE(fromCp1251(added.Name.view()), QString("А-300"));
        QCOMPARE(added.R, 0.1);
        QCOMPARE(int(added.R_V), 44);
        checkAllAgree(side(true));
    }
};

QTEST_MAIN(TestCatalogDialogs)
#include "test_catalog_dialogs.moc"
