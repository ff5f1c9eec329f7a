// Lines and sections: the commands of the lines list and of the sections table with their two dialogs.

#include "model/project_file.h"
#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "text/codepage.h"
#include "ui/widgets/field_hint.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/records/tf_line.h"
#include "ui/records/tf_newline.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

std::string cp(const char* utf8) {
    return *k10::utf8ToCp1251(utf8);
}

enum class Kind { Empty, SourceWithoutLines, LineWithoutSections, LineOfOneSection, ThreeLines };

TLine section(const char* begin, const char* end) {
    TLine s;
    s.L_Begin = begin;
    s.L_End = end;
    s.Dlina = 1.5;
    s.Provod = cp("АС-50");
    s.Gr_Nagr = "3";
    s.Max_Nagr = "160";
    s.Trans = cp("ТМ-160");
    return s;
}

// Three sources ("ПС 1" to "ПС 3"). ThreeLines: the first source has "101" (one section), "102" (three
// sections A..C) and "103" (two sections); the others have one line each.
TProect sample(Kind kind) {
    TProect p;
    if (kind == Kind::Empty)
        return p;
    for (int i = 1; i <= 3; ++i)
        p.Sources.append().Name = cp("ПС ") + std::to_string(i);
    TSource& first = p.Sources[1];
    if (kind == Kind::SourceWithoutLines)
        return p;
    first.Lines.append().Name = "101";
    if (kind == Kind::LineOfOneSection)
        first.Lines[1].Sections.append(section("101", "A1"));
    if (kind != Kind::ThreeLines)
        return p;
    first.Lines[1].Sections.append(section("101", "A1"));
    first.Lines.append().Name = "102";
    for (const char* end : {"A", "B", "C"})
        first.Lines[2].Sections.append(section("102", end));
    first.Lines.append().Name = "103";
    for (const char* end : {"C1", "C2"})
        first.Lines[3].Sections.append(section("103", end));
    p.Sources[2].Lines.append().Name = "201";
    p.Sources[3].Lines.append().Name = "301";
    return p;
}

// Types text key by key, Cyrillic letters included.
void type(QWidget* widget, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList ends(const TLines& line) {
    QStringList list;
    for (const TLine& s : line.Sections)
        list << QString::fromStdString(s.L_End.str());
    return list;
}

} // namespace

class TestLines : public QObject, WindowFixture {
    Q_OBJECT

    TF_Line* dialog = nullptr;

    void open(const TProect& project) {
        QString path = workspace->path("p.k10");
        k10::writeProject(path.toStdString(), project);
        user->files.push_back(path);
        ui->N6->trigger();
        user->dialogs.clear();
    }
    QStringList allRows() const {
        return gridRows(ui->SourceGrid) + gridRows(ui->LinesGrid) + gridRows(ui->LineGrid) +
               gridRows(ui->ModeWorkGrid);
    }
    // Fills the section dialog and answers OK; L_Begin only when it is free.
    ScriptedInteraction::DialogScript filled(const QString& begin, const QString& end) {
        return [=, this](QDialog&) {
            if (dialog->L_Begin->isEnabled())
                dialog->L_Begin->setText(begin);
            dialog->L_End->setText(end);
            dialog->Dlina->setValue(2.25);
            dialog->Provod_Box->setCurrentText("АС-70");
            dialog->Gr_Nagr->setText("17");
            dialog->Max_Nagr->setText("250");
            dialog->Trans_Box->setCurrentText("ТМ-250");
            return true;
        };
    }
    void fillSection(const QString& begin, const QString& end) {
        user->scripts.push_back(filled(begin, end));
    }
    // Looks at the dialog as it is shown, then fills it.
    void lookThenFill(std::function<void()> look, const QString& begin, const QString& end) {
        user->scripts.push_back([look, fill = filled(begin, end)](QDialog& d) {
            look();
            return fill(d);
        });
    }

private slots:
    void init() {
        start();
        dialog = forms->F_Line;
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void lineNameFromSourcePositionAndNumber_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::newRow("first source, 5") << 0 << "5"
                                         << "105";
        QTest::newRow("first source, 12") << 0 << "12"
                                          << "112";
        QTest::newRow("first source, 10") << 0 << "10"
                                          << "110";
        QTest::newRow("third source, 7") << 2 << "7"
                                         << "307";
        QTest::newRow("blank reads as 0") << 0 << ""
                                          << "10";
        QTest::newRow("three digits") << 0 << "100"
                                      << "1100";
        QTest::newRow("leading zero dropped") << 0 << "05"
                                              << "105";
        QTest::newRow("a name the source has") << 0 << "1"
                                               << "101";
        QTest::newRow("negative in parentheses") << 1 << "-3"
                                                 << "20(3)";
    }
    void lineNameFromSourcePositionAndNumber() {
        QFETCH(int, source);
        QFETCH(QString, typed);
        QFETCH(QString, name);
        open(sample(Kind::ThreeLines));
        ui->SourceGrid->setCurrentCell(source, 0);
        QStringList lines = gridRows(ui->LinesGrid), sections = gridRows(ui->LineGrid);
        QString before;
        user->scripts.push_back([&](QDialog& d) {
            auto& newLine = static_cast<TF_NewLine&>(d);
            before = newLine.LineName->text();
            newLine.LineName->setText(typed);
            return true;
        });
        forms->F_NewLine->LineName->setText("99"); // left from an earlier use
        ui->N5->trigger();
        QCOMPARE(user->dialogs, QStringList({"TF_NewLine"}));
        QCOMPARE(before, QString());
        const TSource& s = forms->Document->project().Sources[source + 1];
        QCOMPARE(QString::fromStdString(s.Lines[s.LineCount()].Name.str()), name);
        QCOMPARE(s.Lines[s.LineCount()].SectionCount(), 0);
        QCOMPARE(gridRows(ui->LinesGrid), lines << name);
        QCOMPARE(gridRows(ui->LineGrid), sections);
        QCOMPARE(place->line(), 0);
        QVERIFY(user->messages.isEmpty());
    }

    void refusals_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("curLine");
        QTest::addColumn<int>("curSection");
        QTest::addColumn<QString>("message");
        const QString twoLines = "Вставка возможна при наличии 2-х и более описаний линии\r"
                                 "Воспользуйтесь пунком меню \"Добавить\"";
        QTest::newRow("new line, no source")
            << Kind::Empty << "N5" << 0 << 0 << "Необходимо ввести источник питания";
        QTest::newRow("delete line, no source") << Kind::Empty << "N10" << 0 << 0 << "Удалять нечего";
        QTest::newRow("delete line, no line")
            << Kind::SourceWithoutLines << "N10" << 0 << 0 << "Необходимо сначала создать линию";
        QTest::newRow("append, no source")
            << Kind::Empty << "Line_Add" << 0 << 0 << "Необходимо ввести источник питания";
        QTest::newRow("append, no line") << Kind::SourceWithoutLines << "Line_Add" << 0 << 0
                                         << "Необходимо ввести линию для данного источника";
        QTest::newRow("insert at row 0 before all")
            << Kind::Empty << "N15" << 0 << 0 << "Перед первым описанием линии ничего вставить нельзя";
        QTest::newRow("insert at row 0 of three")
            << Kind::ThreeLines << "N15" << 1 << 0 << "Перед первым описанием линии ничего вставить нельзя";
        QTest::newRow("insert, no source")
            << Kind::Empty << "N15" << 0 << 1 << "Необходимо создать источники питания";
        QTest::newRow("insert, no line")
            << Kind::SourceWithoutLines << "N15" << 0 << 1 << "Необходимо создать линию";
        QTest::newRow("insert, one section") << Kind::LineOfOneSection << "N15" << 0 << 1 << twoLines;
        QTest::newRow("insert, no section") << Kind::LineWithoutSections << "N15" << 0 << 2 << twoLines;
        QTest::newRow("change, no source")
            << Kind::Empty << "Line_Edit" << 0 << 0 << "Необходимо сначала создать источник питания";
        QTest::newRow("change, no line")
            << Kind::SourceWithoutLines << "Line_Edit" << 0 << 0 << "Необходимо сначала создать линию";
        QTest::newRow("change, no section") << Kind::LineWithoutSections << "Line_Edit" << 0 << 0
                                            << "Необходимо сначала создать описание линии";
        QTest::newRow("delete, no source") << Kind::Empty << "Line_Del" << 0 << 0 << "Удалять нечего";
        QTest::newRow("delete, no line")
            << Kind::SourceWithoutLines << "Line_Del" << 0 << 0 << "Удалять нечего";
        QTest::newRow("delete, no section")
            << Kind::LineWithoutSections << "Line_Del" << 0 << 0 << "Удалять нечего";
        // Current rows beyond the counts are refused before any record is read.
        QTest::newRow("delete line beyond the count")
            << Kind::ThreeLines << "N10" << 3 << 0 << "Выберите линию в списке линий";
        QTest::newRow("insert beyond the sections")
            << Kind::ThreeLines << "N15" << 1 << 3 << "Выберите участок в описании линии";
        QTest::newRow("change beyond the sections")
            << Kind::ThreeLines << "Line_Edit" << 0 << 1 << "Выберите участок в описании линии";
    }
    void refusals() {
        QFETCH(Kind, kind);
        QFETCH(QString, action);
        QFETCH(int, curLine);
        QFETCH(int, curSection);
        QFETCH(QString, message);
        if (kind != Kind::Empty)
            open(sample(kind));
        place->setRows({place->source(), curLine, curSection, place->mode()});
        QStringList rows = allRows();
        main->findChild<QAction*>(action)->trigger();
        QCOMPARE(user->messages, QStringList({message}));
        QVERIFY(user->dialogs.isEmpty());
        QVERIFY(forms->Document->project() == sample(kind));
        QCOMPARE(allRows(), rows);
    }

    void fullListsAreRefused_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("new line") << "N5"
                                  << "У источника питания уже 100 линий, больше добавить нельзя";
        QTest::newRow("append") << "Line_Add"
                                << "В линии уже 100 участков, больше добавить нельзя";
        QTest::newRow("insert") << "N15"
                                << "В линии уже 100 участков, больше добавить нельзя";
    }
    void fullListsAreRefused() {
        QFETCH(QString, action);
        QFETCH(QString, message);
        TProect full = sample(Kind::LineOfOneSection);
        TSource& s = full.Sources[1];
        while (!s.Lines.full())
            s.Lines.append().Name = "1xx";
        while (!s.Lines[1].Sections.full())
            s.Lines[1].Sections.append(section("x", "y"));
        open(full);
        ui->LineGrid->setCurrentCell(1, 0);
        main->findChild<QAction*>(action)->trigger();
        QCOMPARE(user->messages, QStringList({message}));
        QVERIFY(user->dialogs.isEmpty());
        QVERIFY(forms->Document->project() == full);
    }

    void firstSectionBeginsAtTheLineName() {
        TProect project = sample(Kind::LineWithoutSections);
        project.Sources[1].Lines[1].Name = "105";
        open(project);
        QStringList seen;
        auto look = [&] {
            seen << dialog->L_Begin->text() + (dialog->L_Begin->isEnabled() ? "+" : "-") +
                        QStringList(dialog->rowTexts().mid(1)).join('|');
        };
        lookThenFill(look, "X", "A1");
        ui->Line_Add->trigger();
        lookThenFill(look, "A1", "A2");
        ui->Line_Add->trigger();
        // Both showings start empty; the first begins at "105" and is locked, the second is free.
        QCOMPARE(seen, QStringList({"105-|0||||", "+|0||||"}));
        QCOMPARE(gridRows(ui->LineGrid),
                 QStringList({"105|A1|2.25|АС-70|17|250|ТМ-250", "A1|A2|2.25|АС-70|17|250|ТМ-250"}));
        const TLine& first = forms->Document->project().Sources[1].Lines[1].Sections[1];
        QCOMPARE(first.L_Begin.str(), std::string("105"));
        QCOMPARE(first.Dlina, 2.25);
        QCOMPARE(first.Provod, cp("АС-70"));
        QCOMPARE(first.Gr_Nagr, std::string("17"));
        QCOMPARE(first.Max_Nagr, std::string("250"));
        QCOMPARE(first.Trans, cp("ТМ-250"));
        QCOMPARE(place->section(), 0);
    }

    void longNodeStoredAsEightShownWholeUntilRefresh() {
        open(sample(Kind::LineOfOneSection));
        fillSection("Подстанция", "Ответвление");
        ui->Line_Add->trigger();
        const TLines& line = forms->Document->project().Sources[1].Lines[1];
        QCOMPARE(line.Sections[2].L_Begin.str(), cp("Подстанц"));
        QCOMPARE(line.Sections[2].L_End.str(), cp("Ответвле"));
        QCOMPARE(rowTexts(ui->LineGrid, 1).mid(0, 2), QStringList({"Подстанция", "Ответвление"}));
        place->select({1, 1});
        QCOMPARE(rowTexts(ui->LineGrid, 1).mid(0, 2), QStringList({"Подстанц", "Ответвле"}));
    }

    void changeLocksTheFirstBeginNodeOnly_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("beginFree");
        QTest::addColumn<QString>("newRow");
        QTest::newRow("first section") << 0 << false << "102|K|2.25|АС-70|17|250|ТМ-250";
        QTest::newRow("second section") << 1 << true << "N|K|2.25|АС-70|17|250|ТМ-250";
    }
    void changeLocksTheFirstBeginNodeOnly() {
        QFETCH(int, row);
        QFETCH(bool, beginFree);
        QFETCH(QString, newRow);
        open(sample(Kind::ThreeLines));
        ui->LinesGrid->setCurrentCell(1, 0);
        ui->LineGrid->setCurrentCell(row, 0);
        QStringList shown;
        bool enabled = !beginFree;
        lookThenFill(
            [&] {
                shown = dialog->rowTexts();
                enabled = dialog->L_Begin->isEnabled();
            },
            "N", "K");
        ui->Line_Edit->trigger();
        QCOMPARE(enabled, beginFree);
        QCOMPARE(shown,
                 QStringList({"102", QString(QChar('A' + row)), "1.5", "АС-50", "3", "160", "ТМ-160"}));
        QCOMPARE(rowTexts(ui->LineGrid, row).join('|'), newRow);
        QCOMPARE(forms->Document->project().Sources[1].Lines[2].Sections[row + 1].L_End.str(), std::string("K"));
        QCOMPARE(forms->Document->project().Sources[1].Lines[2].SectionCount(), 3);
    }

    void insertStandsBeforeTheCurrentSection_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("second row") << 1 << QStringList({"A", "NEW", "B", "C"});
        QTest::newRow("last row") << 2 << QStringList({"A", "B", "NEW", "C"});
    }
    void insertStandsBeforeTheCurrentSection() {
        QFETCH(int, row);
        QFETCH(QStringList, order);
        open(sample(Kind::ThreeLines));
        ui->LinesGrid->setCurrentCell(1, 0);
        ui->LineGrid->setCurrentCell(row, 0);
        dialog->L_Begin->setEnabled(false); // left from an earlier use
        dialog->L_End->setText("old");
        bool beginFree = false;
        QString endBefore = "?";
        lookThenFill(
            [&] {
                beginFree = dialog->L_Begin->isEnabled();
                endBefore = dialog->L_End->text();
            },
            "M", "NEW");
        ui->N15->trigger();
        QVERIFY(beginFree);
        QCOMPARE(endBefore, QString());
        QCOMPARE(ends(forms->Document->project().Sources[1].Lines[2]), order);
        QStringList shownEnds;
        for (int r = 0; r < ui->LineGrid->rowCount(); ++r)
            shownEnds << ui->LineGrid->cell(r, 1);
        QCOMPARE(shownEnds, order);
        QCOMPARE(place->line(), 1);
        QVERIFY(user->messages.isEmpty());
    }

    void deleteTheSecondOfThreeLines() {
        open(sample(Kind::ThreeLines));
        ui->LinesGrid->setCurrentCell(1, 0);
        ui->N10->trigger();
        const TSource& s = forms->Document->project().Sources[1];
        QCOMPARE(s.LineCount(), 2);
        QCOMPARE(s.Lines[2].Name.str(), std::string("103"));
        QCOMPARE(ends(s.Lines[2]), QStringList({"C1", "C2"}));
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"101", "103"}));
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"101|A1|1.5|АС-50|3|160|ТМ-160"}));
        QCOMPARE(place->line(), 0);
    }

    void deleteTheSecondOfThreeSections() {
        open(sample(Kind::ThreeLines));
        ui->LinesGrid->setCurrentCell(1, 0);
        ui->LineGrid->setCurrentCell(1, 0);
        ui->Line_Del->trigger();
        QCOMPARE(ends(forms->Document->project().Sources[1].Lines[2]), QStringList({"A", "C"}));
        QCOMPARE(gridRows(ui->LineGrid),
                 QStringList({"102|A|1.5|АС-50|3|160|ТМ-160", "102|C|1.5|АС-50|3|160|ТМ-160"}));
        QCOMPARE(place->line(), 1);
    }

    void cancelChangesNothing_data() {
        QTest::addColumn<QString>("action");
        for (const char* action : {"N5", "Line_Add", "N15", "Line_Edit"})
            QTest::newRow(action) << action;
    }
    void cancelChangesNothing() {
        QFETCH(QString, action);
        open(sample(Kind::ThreeLines));
        ui->LinesGrid->setCurrentCell(1, 0);
        ui->LineGrid->setCurrentCell(1, 0);
        QStringList rows = allRows();
        user->scripts.push_back([&](QDialog& d) {
            if (auto* newLine = qobject_cast<TF_NewLine*>(&d))
                newLine->LineName->setText("7");
            dialog->L_End->setText("cancelled");
            return false;
        });
        main->findChild<QAction*>(action)->trigger();
        QCOMPARE(user->dialogs.size(), 1);
        QVERIFY(forms->Document->project() == sample(Kind::ThreeLines));
        QCOMPARE(allRows(), rows);
        QVERIFY(user->messages.isEmpty());
    }

    void dialogsCaptionsFocusAndButtons() {
        QCOMPARE(dialog->windowTitle(), QString("Коррекция линии"));
        QCOMPARE(dialog->GroupBox1->title(), QString(" Участок "));
        QStringList captions;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (!qobject_cast<FieldHint*>(label)) // the warnings beside the fields are no captions
                captions << label->text() + (label->buddy() ? "=" + label->buddy()->objectName() : QString());
        QCOMPARE(captions,
                 QStringList({"Начало=L_Begin", "Конец=L_End", "Длина участка=Dlina", "км.",
                              "Провод, кабель=Provod_Box", "Шифр графика нагрузок=Gr_Nagr",
                              "Максимальная\nнагрузка=Max_Nagr", "кВА", "Марка трасформатора=Trans_Box"}));
        const QStringList order = {"L_Begin",   "L_End",   "Dlina",    "Provod_Box",  "Max_Nagr",
                                   "Trans_Box", "Gr_Nagr", "OkButton", "CancelButton"};
        QStringList chain;
        for (QWidget* w = dialog->L_Begin; chain.size() < order.size(); w = w->nextInFocusChain())
            if (order.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain << w->objectName();
        QCOMPARE(chain, order);
        QCOMPARE(dialog->Gr_NagrButton->focusPolicy(), Qt::NoFocus);
        QCOMPARE(forms->F_NewLine->windowTitle(), QString("Новая линия"));
        QCOMPARE(forms->F_NewLine->Label1->text(), QString("Введите номер линии\n(1, 2 символа)"));
        QVERIFY(forms->F_NewLine->Label1->font().bold());
        for (QDialog* d : {static_cast<QDialog*>(dialog), static_cast<QDialog*>(forms->F_NewLine)}) {
            auto* ok = d->findChild<QPushButton*>("OkButton");
            QCOMPARE(ok->text(), QString("OK"));
            QVERIFY(ok->isDefault());
            QCOMPARE(d->findChild<QPushButton*>("CancelButton")->text(), QString("Отмена"));
            d->show();
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(!d->isVisible());
            QCOMPARE(d->result(), int(QDialog::Rejected));
            d->show();
            d->close(); // the title bar's close box
            QCOMPARE(d->result(), int(QDialog::Rejected));
        }
    }

    // The real modal dialogs: a new line through TF_NewLine, then its first section through TF_Line.
    void realDialogsAddALineAndItsFirstSection() {
        open(sample(Kind::SourceWithoutLines));
        user->desktop = true; // the desktop's own boxes and dialogs from here on
        QString newLineTitle;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TF_NewLine*>(QApplication::activeModalWidget());
            if (!d)
                return;
            newLineTitle = d->windowTitle();
            QTest::keyClicks(d->LineName, "4");
            d->OkButton->click();
        });
        ui->N5->trigger();

        QString begin;
        bool beginEnabled = true;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TF_Line*>(QApplication::activeModalWidget());
            if (!d)
                return;
            begin = d->L_Begin->text();
            beginEnabled = d->L_Begin->isEnabled();
            type(d->L_End, "Т1");
            d->Dlina->setValue(0.75);
            type(d->Provod_Box->lineEdit(), "А-35");
            QTest::keyClicks(d->Max_Nagr, "63");
            type(d->Trans_Box->lineEdit(), "ТМ-63");
            QTest::keyClick(d, Qt::Key_Return); // the default button
        });
        ui->Line_Add->trigger();
        user->desktop = false;

        QCOMPARE(newLineTitle, QString("Новая линия"));
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"104"}));
        QCOMPARE(begin, QString("104"));
        QVERIFY(!beginEnabled);
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"104|Т1|0.75|А-35||63|ТМ-63"}));
        QCOMPARE(forms->Document->project().Sources[1].Lines[1].Sections[1].L_End.str(), cp("Т1"));
    }
};

QTEST_MAIN(TestLines)
#include "test_lines.moc"
