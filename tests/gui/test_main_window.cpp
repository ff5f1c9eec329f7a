// The main window on its own: start-up, the four linked tables, Open and Save, Help and About.

#include "model/project_file.h"
#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "text/codepage.h"
#include "ui/main_window/form_main.h"
#include "ui/main_window/tformabout.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QDir>
#include <QScreen>
#include <QtTest>

#include <memory>

namespace {

std::string cp(const char* utf8) { return *k10::utf8ToCp1251(utf8); }

// Three sources: the first with lines "101" (two sections), "102" (none) and "103" (one), and two modes;
// the second with one mode and no line; the third with one line of one section.
TProect linkedProject() {
    TProect p;
    TSource& a = p.Sources.append();
    a.Name = cp("ПС Северная");
    a.Code = 1;
    a.Napr = 10;
    a.R_Max = 0.35;
    for (const char* name : {"101", "102", "103"})
        a.Lines.append().Name = name;
    for (const char* end : {"A1", "A2"}) {
        TLine& s = a.Lines[1].Sections.append();
        s.L_Begin = "101";
        s.L_End = end;
        s.Dlina = 1.5;
        s.Provod = cp("АС-50");
        s.Gr_Nagr = "3";
        s.Max_Nagr = "160";
        s.Trans = cp("ТМ-160");
    }
    a.Lines[3].Sections.append().L_End = "C1";
    for (const char* to : {"201", "301"}) {
        TModeWork& m = a.ModeWorks.append();
        m.L_Begin = "101";
        m.L_End = to;
        m.Dlina = 2;
        m.Izm_Nagr = -15;
    }
    TSource& b = p.Sources.append();
    b.Name = cp("ПС Заречная");
    b.Code = 2;
    b.ModeWorks.append().L_Begin = "x";
    TSource& c = p.Sources.append();
    c.Name = cp("ПС Промзона");
    c.Code = 3;
    c.Lines.append().Name = "301";
    c.Lines[1].Sections.append().L_End = "Z1";
    return p;
}

} // namespace

class TestMainWindow : public QObject, WindowFixture {
    Q_OBJECT


    void openFile(const QString& path) {
        user->files.push_back(path);
        ui->N6->trigger();
    }
    QString saveLinked() {
        QString path = workspace->path("linked.k10");
        k10::writeProject(path.toStdString(), linkedProject());
        return path;
    }

private slots:
    void init() {
        start();
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void startUpShowsOneEmptyRowEverywhere() {
        QCOMPARE(main->windowTitle(), QString("Korvane10 DEMO"));
        QCOMPARE(main->size(), QSize(645, 661));
        for (StringGrid* grid : {ui->SourceGrid, ui->LinesGrid, ui->LineGrid, ui->ModeWorkGrid}) {
            QCOMPARE(grid->rowCount(), 1);
            QVERIFY(rowTexts(grid, 0).join("").isEmpty());
        }
        QCOMPARE(place->source(), 0);
        QCOMPARE(place->line(), 0);
        QCOMPARE(place->section(), 0);
        QCOMPARE(place->mode(), 0);
        QVERIFY(user->errors.isEmpty());
    }

    void layoutOfTheBoxesAndTables() {
        struct Box {
            QGroupBox* box;
            const char* caption;
            QRect geometry;
        };
        for (const Box& b : {Box{ui->RzGroupBox1, "Источники питания", {8, 0, 625, 151}},
                             Box{ui->RzGroupBox4, "Линии", {8, 152, 81, 258}},
                             Box{ui->RzGroupBox2, "Описание линий", {96, 152, 537, 257}},
                             Box{ui->RzGroupBox3, "Режимы работы", {8, 411, 625, 174}}}) {
            QCOMPARE(b.box->title(), QString(b.caption));
            QCOMPARE(b.box->geometry(), b.geometry);
        }
        auto widths = [](StringGrid* grid) {
            QList<int> w;
            for (int c = 0; c < grid->columnCount(); ++c)
                w << grid->columnWidth(c);
            return w;
        };
        QCOMPARE(widths(ui->SourceGrid), QList<int>({230, 55, 55, 63, 63, 63, 63}));
        QCOMPARE(ui->SourceGrid->width(), 601);
        QCOMPARE(widths(ui->LineGrid), QList<int>({75, 76, 71, 79, 71, 55, 82}));
        QCOMPARE(ui->LineGrid->width(), 518);
        QCOMPARE(widths(ui->ModeWorkGrid), QList<int>({70, 63, 79, 79, 79, 79, 71, 71}));
        QCOMPARE(ui->ModeWorkGrid->width(), 601);
        QCOMPARE(ui->LineGrid->verticalHeader()->defaultSectionSize(), 15);
        QCOMPARE(ui->SourceGrid->verticalHeader()->defaultSectionSize(), 24);
        QCOMPARE(ui->LinesGrid->verticalHeader()->defaultSectionSize(), 24);
    }

    void windowOpensCentred() {
        const QRect area = main->screen()->availableGeometry();
        const QRect window = main->frameGeometry();
        // Within the pixel that halving an odd width or height leaves over.
        auto near = [](int a, int b) { return qAbs(a - b) <= 1; };
        QVERIFY(near(window.center().x(), area.center().x()));
        // A screen too low for the window gets its top edge.
        if (window.height() <= area.height())
            QVERIFY(near(window.center().y(), area.center().y()));
        else
            QCOMPARE(window.top(), area.top());
    }

    // Enlarged, the window gives its room to the boxes and tables, the sections and modes most; back at
    // its default size everything stands where it stood.
    void enlargedWindowGivesTheTablesTheRoom() {
        const QList<QWidget*> boxes = {ui->RzGroupBox1, ui->RzGroupBox4, ui->RzGroupBox2,
                                       ui->RzGroupBox3};
        const QList<StringGrid*> grids = {ui->SourceGrid, ui->LinesGrid, ui->LineGrid,
                                          ui->ModeWorkGrid};
        QWidget* client = main->centralWidget();
        auto places = [&] {
            QList<QRect> list;
            for (QWidget* w : boxes + QList<QWidget*>(grids.begin(), grids.end()))
                list << w->geometry();
            for (QLabel* cell : client->findChildren<QLabel*>())
                list << cell->geometry();
            return list;
        };
        const QList<QRect> atDefault = places();
        const int belowModes = client->height() - ui->RzGroupBox3->geometry().bottom();

        main->resize(1280, 1024);
        const int wider = 1280 - 645;
        // The right-hand boxes keep their margin to the window's edge, the modes box its gap above the
        // status bar, and no box reaches into another.
        for (QWidget* box : {ui->RzGroupBox1, ui->RzGroupBox2, ui->RzGroupBox3})
            QCOMPARE(box->width(), atDefault[boxes.indexOf(box)].width() + wider);
        QCOMPARE(client->height() - ui->RzGroupBox3->geometry().bottom(), belowModes);
        QCOMPARE(ui->RzGroupBox4->width(), 81);
        QVERIFY(ui->RzGroupBox1->geometry().bottom() < ui->RzGroupBox2->y());
        QCOMPARE(ui->RzGroupBox4->y(), ui->RzGroupBox2->y());
        QVERIFY(ui->RzGroupBox2->geometry().bottom() < ui->RzGroupBox3->y());
        QVERIFY(ui->RzGroupBox4->geometry().bottom() < ui->RzGroupBox3->y());
        // Each table fills its box as it did, its columns as wide as the table.
        for (int i = 0; i < grids.size(); ++i) {
            StringGrid* grid = grids[i];
            const QRect before = atDefault[boxes.size() + i];
            QCOMPARE(grid->parentWidget()->height() - grid->geometry().bottom(),
                     atDefault[i].height() - before.bottom());
            QCOMPARE(grid->width(), before.width() + (grid == ui->LinesGrid ? 0 : wider));
            if (grid == ui->LinesGrid)
                continue;
            int columns = grid->columnCount() + 2;
            for (int c = 0; c < grid->columnCount(); ++c)
                columns += grid->columnWidth(c);
            QCOMPARE(columns, grid->width());
        }
        auto taller = [&](StringGrid* grid) {
            return grid->height() - atDefault[boxes.size() + grids.indexOf(grid)].height();
        };
        QVERIFY(taller(ui->SourceGrid) > 0);
        QVERIFY(taller(ui->LineGrid) > taller(ui->SourceGrid));
        QVERIFY(taller(ui->ModeWorkGrid) > taller(ui->SourceGrid));

        main->resize(645, 661);
        QCOMPARE(places(), atDefault);
        layoutOfTheBoxesAndTables();
    }

    void newRecordIsScrolledIntoView() {
        TProect many;
        for (int i = 1; i <= 10; ++i)
            many.Sources.append().Code = i;
        QString path = workspace->path("many.k10");
        k10::writeProject(path.toStdString(), many);
        openFile(path);
        StringGrid* grid = ui->SourceGrid;
        auto shown = [grid](int row) {
            return grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(row, 0)));
        };
        QVERIFY(!shown(9));
        user->scripts.push_back([](QDialog&) { return true; });
        ui->Source_Add->trigger();
        QCOMPARE(grid->rowCount(), 11);
        QVERIFY(shown(10));
    }

    void headerCaptions() {
        auto captions = [](QGroupBox* box) {
            QStringList list;
            for (QLabel* label : box->findChildren<QLabel*>())
                list << label->property("caption").toString();
            return list;
        };
        QCOMPARE(captions(ui->RzGroupBox1),
                 QStringList({"Наименование источника питания", "Код ист. пит.", "Ном. напр. (кВ)",
                              "Сопротивление системы (Ом)", "Макс. режим", "Мин. режим", "R", "X", "R", "X"}));
        QCOMPARE(captions(ui->RzGroupBox2),
                 QStringList({"Участок", "Начало", "Конец", "Длина участка (км)", "Провод, кабель",
                              "Шифр графика нагрузок", "Макс. нагр. (кВА)", "Марка трасф."}));
        QCOMPARE(captions(ui->RzGroupBox3),
                 QStringList({"Источники,\rлинии", "От", "До", "Перемычка", "Узел нач.", "Узел кон.",
                              "Длина \r(км)", "Провод,\rкабель", "Узел\rоткл.", "Измен.\rнагрузки\r%"}));
    }

    void menusCarryEveryItem() {
        auto items = [](QMenu* menu) {
            QStringList list;
            for (QAction* a : menu->actions())
                list << a->objectName() + "=" + (a->isSeparator() ? QString("-") : a->text());
            return list;
        };
        QStringList bar;
        for (QAction* a : main->menuBar()->actions())
            bar << a->text();
        // The titles read as before; '&' marks the letter that opens each with Alt.
        QCOMPARE(bar, QStringList({"&Файл", "&Правка", "&Справочники", "&Расчёт", "Помо&щь"}));
        QCOMPARE(items(ui->N1), QStringList({"N6=Открыть", "N7=Сохранить", "N11=-", "DOS1=Импорт из DOS",
                                               "N8=-", "N9=Выйти"}));
        QCOMPARE(items(ui->N13), QStringList({"N14=Провода, кабели", "N16=Трансформаторы",
                                                "N20=Коэффициенты графиков нагрузки"}));
        QCOMPARE(items(ui->N21), QStringList({"N22=Проверить данные", "N23=Результаты расчёта…",
                                                "N25=Схема сети", "N24=Параметры расчёта…"}));
        QCOMPARE(ui->N23->shortcut(), QKeySequence(Qt::Key_F9));
        QCOMPARE(items(ui->N2), QStringList({"N3=О программе", "N12=Помощь"}));
        QCOMPARE(items(ui->Source_PopupMenu),
                 QStringList({"Source_Add=Добавить", "Source_Edit=Изменить", "Source_Del=Удалить"}));
        QCOMPARE(items(ui->LinesPopupMenu), QStringList({"N5=Новая линия", "N10=Удалить линию"}));
        QCOMPARE(items(ui->PopupMenu2), QStringList({"Line_Add=Добавить", "N15=Вставить", "Line_Edit=Изменить",
                                                       "Line_Del=Удалить"}));
        QCOMPARE(items(ui->PopupMenu3),
                 QStringList({"ModeWork_Add=Добавить", "ModeWork_Edit=Изменить", "ModeWork_Del=Удалить", "N4=-",
                              "Calculate=Рас\u0063читать"}));
        QCOMPARE(ui->Calculate->text().at(3), QChar('c'));  // Latin
        QVERIFY(!ui->Calculate->icon().isNull());
    }

    void rightClickOnATableOpensTheMenuOfItsBox() {
        struct Case {
            QWidget* widget;
            QMenu* menu;
        };
        for (const Case& c : {Case{ui->LineGrid, ui->PopupMenu2}, Case{ui->ModeWorkGrid, ui->PopupMenu3},
                              Case{ui->SourceGrid, ui->Source_PopupMenu},
                              Case{ui->LinesGrid, ui->LinesPopupMenu},
                              Case{ui->RzGroupBox2, ui->PopupMenu2}}) {
            QCOMPARE(c.widget->contextMenuPolicy(), Qt::CustomContextMenu);
            emit c.widget->customContextMenuRequested(QPoint(5, 5));
            QTRY_VERIFY(c.menu->isVisible());
            c.menu->hide();
        }
    }

    void openShowsTheFirstSourceAndItsFirstLine() {
        openFile(saveLinked());
        QCOMPARE(gridRows(ui->SourceGrid), QStringList({"ПС Северная|1|10|0.35|0|0|0", "ПС Заречная|2|0|0|0|0|0",
                                                          "ПС Промзона|3|0|0|0|0|0"}));
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"101", "102", "103"}));
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"101|A1|1.5|АС-50|3|160|ТМ-160", "101|A2|1.5|АС-50|3|160|ТМ-160"}));
        QCOMPARE(gridRows(ui->ModeWorkGrid), QStringList({"101|201|||2|||-15", "101|301|||2|||-15"}));
        QCOMPARE(ui->SourceGrid->currentRow(), 0);
        QCOMPARE(place->source(), 0);
    }

    void sourceWithoutLinesEmptiesTheLowerTablesEvenWithModes() {
        openFile(saveLinked());
        ui->SourceGrid->setCurrentCell(1, 0);  // as the user's click
        QCOMPARE(place->source(), 1);
        for (StringGrid* grid : {ui->LinesGrid, ui->LineGrid, ui->ModeWorkGrid})
            QCOMPARE(gridRows(grid), QStringList({rowTexts(grid, 0).join('|')}));
        QVERIFY(rowTexts(ui->ModeWorkGrid, 0).join("").isEmpty());
        QVERIFY(rowTexts(ui->LinesGrid, 0).join("").isEmpty());
        QVERIFY(rowTexts(ui->LineGrid, 0).join("").isEmpty());
    }

    void lineWithoutSectionsShowsOneEmptyRow() {
        openFile(saveLinked());
        ui->LinesGrid->setCurrentCell(1, 0);
        QCOMPARE(place->line(), 1);
        QCOMPARE(ui->LineGrid->rowCount(), 1);
        QVERIFY(rowTexts(ui->LineGrid, 0).join("").isEmpty());
        QCOMPARE(gridRows(ui->ModeWorkGrid).size(), 2);  // the modes stay
    }

    void lineThreeThenAnotherSourceResetsTheLine() {
        openFile(saveLinked());
        ui->LinesGrid->setCurrentCell(2, 0);
        ui->LineGrid->setCurrentCell(0, 0);
        QCOMPARE(place->line(), 2);
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"|C1|0||||"}));
        ui->SourceGrid->setCurrentCell(2, 0);
        QCOMPARE(place->source(), 2);
        QCOMPARE(place->line(), 0);
        QCOMPARE(ui->LinesGrid->currentRow(), 0);
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({"301"}));
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"|Z1|0||||"}));
    }

    void refreshWithAnotherLineKeepsThatLineCurrent() {
        openFile(saveLinked());
        ui->ModeWorkGrid->setCurrentCell(1, 0);
        QCOMPARE(place->mode(), 1);
        place->select({1, 3});
        QCOMPARE(place->line(), 2);
        QCOMPARE(ui->LinesGrid->currentRow(), 2);
        QCOMPARE(gridRows(ui->LineGrid), QStringList({"|C1|0||||"}));
        QCOMPARE(place->mode(), 0);
        QCOMPARE(place->section(), 0);
    }

    void openOfFewerSourcesShrinksTheTable() {
        openFile(saveLinked());
        ui->SourceGrid->setCurrentCell(2, 0);
        TProect one;
        one.Sources.append().Name = "Single";
        QString path = workspace->path("one.k10");
        k10::writeProject(path.toStdString(), one);
        openFile(path);
        QCOMPARE(gridRows(ui->SourceGrid), QStringList({"Single|0|0|0|0|0|0"}));
        QCOMPARE(place->source(), 0);
        QCOMPARE(gridRows(ui->LinesGrid), QStringList({""}));

        k10::writeProject(path.toStdString(), TProect{});
        openFile(path);
        QCOMPARE(forms->Document->project().SourceCount(), 0);
        QCOMPARE(gridRows(ui->SourceGrid), QStringList({"||||||"}));
    }

    void saveThenOpenGivesTheSameTables() {
        openFile(saveLinked());
        QStringList before = gridRows(ui->SourceGrid) + gridRows(ui->LinesGrid) + gridRows(ui->LineGrid) +
                             gridRows(ui->ModeWorkGrid);
        QString copy = workspace->path("copy.k10");
        user->files.push_back(copy);
        ui->N7->trigger();
        QVERIFY(user->errors.isEmpty());
        k10::writeProject(workspace->path("empty.k10").toStdString(), TProect{});
        openFile(workspace->path("empty.k10"));
        QCOMPARE(forms->Document->project().SourceCount(), 0);
        openFile(copy);
        QStringList after = gridRows(ui->SourceGrid) + gridRows(ui->LinesGrid) + gridRows(ui->LineGrid) +
                            gridRows(ui->ModeWorkGrid);
        QCOMPARE(after, before);
        QVERIFY(forms->Document->project() == linkedProject());
    }

    void cancelledDialogsChangeNothing() {
        openFile(saveLinked());
        user->files.push_back(QString());
        ui->N6->trigger();
        user->files.push_back(QString());
        ui->N7->trigger();
        QVERIFY(forms->Document->project() == linkedProject());
        QCOMPARE(user->dialogs, QStringList({"OpenProjectDialog1", "OpenProjectDialog1", "SaveProjectDialog1"}));
        QVERIFY(user->errors.isEmpty());
    }

    void failedOpenLeavesTheProjectAndTables() {
        openFile(saveLinked());
        ui->LinesGrid->setCurrentCell(2, 0);
        QStringList before = gridRows(ui->SourceGrid) + gridRows(ui->LineGrid);
        QFile bad(workspace->path("bad.k10"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("1\r\nS\r\n1\r\n10 kV\r\n");
        bad.close();
        openFile(bad.fileName());
        QCOMPARE(user->errors, QStringList({"'10 kV' is not a valid floating point value"}));
        openFile(workspace->path("missing.k10"));
        QCOMPARE(user->errors.last(), QString("File not found"));
        QVERIFY(forms->Document->project() == linkedProject());
        QCOMPARE(gridRows(ui->SourceGrid) + gridRows(ui->LineGrid), before);
        QCOMPARE(place->line(), 2);
    }

    void failedSaveShowsTheMessage() {
        user->files.push_back(workspace->path("no/such/folder/p.k10"));
        ui->N7->trigger();
        QCOMPARE(user->errors, QStringList({"File not found"}));
    }

    void fileDialogsFilters() {
        QCOMPARE(ui->OpenProjectDialog1->nameFilters(), QStringList({"Korvane(*.k10)"}));
        QCOMPARE(ui->SaveProjectDialog1->defaultSuffix(), QString("k10"));
        QCOMPARE(ui->OpenProjectDialog1->defaultSuffix(), QString("k10"));
        QVERIFY(ui->OpenProjectDialog1->filter() & QDir::Hidden);
        QVERIFY(ui->I_forDos->defaultSuffix().isEmpty());
    }

    // The file dialogs start where the open project lies, and Save offers its name; before any project
    // they start where the last file was chosen.
    void fileDialogsStartWithTheProject() {
        QDir(workspace->path("")).mkpath("elsewhere");
        openFile(workspace->path("elsewhere/missing.k10"));
        QCOMPARE(user->errors, QStringList({"File not found"}));
        for (QAction* item : {ui->N6, ui->N7, ui->DOS1}) {
            user->files.push_back(QString());
            item->trigger();
        }
        for (QFileDialog* dialog : {ui->OpenProjectDialog1, ui->SaveProjectDialog1, ui->I_forDos})
            QCOMPARE(dialog->directory().absolutePath(), workspace->path("elsewhere"));

        QDir(workspace->path("")).mkpath("projects");
        const QString project = workspace->path("projects/linked.k10");
        k10::writeProject(project.toStdString(), linkedProject());
        openFile(project);
        for (QAction* item : {ui->N6, ui->N7, ui->DOS1}) {
            user->files.push_back(QString());
            item->trigger();
        }
        for (QFileDialog* dialog : {ui->OpenProjectDialog1, ui->SaveProjectDialog1, ui->I_forDos})
            QCOMPARE(dialog->directory().absolutePath(), workspace->path("projects"));
        QCOMPARE(ui->SaveProjectDialog1->selectedFiles(), QStringList{project});
    }

    void hundredSourcesFillTheTable() {
        TProect many;
        for (int i = 1; i <= 100; ++i)
            many.Sources.append().Code = i;
        QString path = workspace->path("many.k10");
        k10::writeProject(path.toStdString(), many);
        openFile(path);
        QCOMPARE(ui->SourceGrid->rowCount(), 100);
        QCOMPARE(ui->SourceGrid->cell(99, 1), QString("100"));
    }

    // The menu item reaches the help opener: beside the test program there is no guide, so even with a
    // browser named it says where the guide lies.
    void helpSaysWhereTheGuideLies() {
        user->applications = {{"text/html", "firefox-esr.desktop"}};
        ui->N12->trigger();
        QVERIFY(user->documents.isEmpty());
        QCOMPARE(user->messages, QStringList{"Справка не открылась. Руководство находится в папке: " +
                                             QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                                                      "/help")});
        QVERIFY(user->errors.isEmpty());
    }

    // The real modal about box, driven as a user would: it opens, and a click on its background closes it.
    void aboutBoxClosesOnABackgroundClick() {
        user->desktop = true; // the desktop's own boxes and dialogs from here on
        QString caption, title, version, description;
        bool closedByClick = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget());
            if (!about)
                return;
            caption = about->windowTitle();
            title = about->ProductName->text();
            version = about->Version->text();
            description = about->Comments->property("storedText").toString();
            QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(5, 5));
            closedByClick = !about->isVisible();
            if (!closedByClick)
                about->reject();
        });
        ui->N3->trigger();
        QVERIFY(closedByClick);
        QCOMPARE(caption, QString("FormAbout"));
        QCOMPARE(title, QString("Korvane10 DEMO"));
        QCOMPARE(version, QString("version 1.3.0"));
        QCOMPARE(description, QString("Расчет сетей 6, 10, 20 кВ на потери напряжения \rи токи короткого замыкания"));
        user->desktop = false;
    }

    void statusBarShowsDateAndTime() {
        QVERIFY(!ui->DatePane->text().isEmpty());
        QVERIFY(QTime::fromString(ui->TimePane->text(), "H:mm:ss").isValid());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
