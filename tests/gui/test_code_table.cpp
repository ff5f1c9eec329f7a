// The load-graph code table and the button of the section dialog's code field that opens it.

#include "support/scripted_interaction.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/records/tf_grnagr.h"
#include "ui/records/tf_line.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// Double-clicks a row of the grid in the middle of its description. As from a mouse, the double-click
// event follows the press and release of the first click.
void doubleClickRow(TF_GrNagr* table, int row) {
    QPoint at = table->Grid->visualItemRect(table->Grid->item(row, 1)).center();
    QTest::mouseClick(table->Grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->Grid->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestCodeTable : public QObject, WindowFixture {
    Q_OBJECT

    TF_GrNagr* table = nullptr;
    TF_Line* line = nullptr;

private slots:
    void init() {
        start(false);
        table = forms->F_GrNagr;
        line = forms->F_Line;
    }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void everyCodeAndDescription_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("description");
        const char* descriptions[] = {"Произв.сельхоз.потребители",
                                      "Ком.быт.сельск.потребителей",
                                      "Жилые дома в сельск.местности",
                                      "Ком.быт.ПГТ",
                                      "Жилые дома ПГТ",
                                      "Жилые дома с электроплитами",
                                      "ТП10/0.4 с преобл.произв.потреб.",
                                      "ТП10/0.4 с преобл.ком.быта",
                                      "МТФ, комплексы молочн.направл.",
                                      "СТФ, свинокомплексы",
                                      "ФКРС, комплексы мясного направл.",
                                      "ПТФ (Птицефабрики)",
                                      "Отопление и вентиляция животнов.",
                                      "Аккумул.эл.котельные для животнов.",
                                      "Парники и теплицы с эл.обогревом",
                                      "Теплицы с обогревом от котельных",
                                      "Орошение (Юг европ.части России)",
                                      "Орошение (Средняя Азия)",
                                      "Сезонные летне-осенние потреб.",
                                      "Зерноток, сушилки",
                                      "Односменные пром.предприятия",
                                      "Двухсменные пром.предприятия",
                                      "Трехсменные пром.предприятия",
                                      "1-сменные -   сезонные по",
                                      "2-сменные  >  переработке",
                                      "3-сменные -   сельхозпродукции",
                                      "Хлопкоприемные пункты",
                                      "Пионерский лагерь",
                                      "Сады (без централиз.водоснабж.)",
                                      "Аккумул.Эл.кот.для животнов.с горяч.вод.",
                                      "Эл.кот.для животнов.с горяч.вод.",
                                      "Гор.вод.жил.домов с эл.нагр.аккум.типа"};
        int code = 1;
        for (const char* description : descriptions) {
            QTest::addRow("%d", code) << code << QString::fromUtf8(description);
            ++code;
        }
    }
    void everyCodeAndDescription() {
        QFETCH(int, code);
        QFETCH(QString, description);
        table->show();
        QCOMPARE(table->Grid->rowCount(), 33);
        QCOMPARE(table->Grid->columnCount(), 2);
        QCOMPARE(table->Grid->item(code, 0)->text(), QString::number(code));
        QCOMPARE(table->Grid->item(code, 1)->text(), description);
    }

    void headerRowIsFixedAndOutOfReach() {
        table->show();
        QCOMPARE(table->windowTitle(), QString("Шифры нагрузок"));
        QCOMPARE(table->Grid->item(0, 0)->text(), QString("№"));
        QCOMPARE(table->Grid->item(0, 1)->text(), QString("Наименование потребителя"));
        QCOMPARE(table->Grid->item(0, 0)->flags(), Qt::NoItemFlags);
        QCOMPARE(table->Grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(table->Grid->selectionBehavior(), QAbstractItemView::SelectRows);
        // Clicking the header selects nothing and a double-click there chooses nothing.
        QTest::mouseClick(table->Grid->viewport(), Qt::LeftButton, {},
                          table->Grid->visualItemRect(table->Grid->item(0, 1)).center());
        doubleClickRow(table, 0);
        QCOMPARE(table->SelectedRow, 0);
        QVERIFY(table->isVisible());
        // The keyboard moves from the header onto code 1 and back up no further.
        QTest::keyClick(table->Grid, Qt::Key_Down);
        QCOMPARE(table->SelectedRow, 1);
        QTest::keyClick(table->Grid, Qt::Key_Up);
        QCOMPARE(table->SelectedRow, 1);
    }

    void onlyTheDescriptionColumnFollowsTheWidth() {
        table->show();
        QCOMPARE(table->Grid->columnWidth(0), 77);
        QCOMPARE(table->Grid->columnWidth(1), 231);
        QCOMPARE(table->Grid->width(), table->width());
        table->resize(table->width() + 100, table->height());
        QCOMPARE(table->Grid->columnWidth(0), 77);
        QCOMPARE(table->Grid->columnWidth(1), 331);
    }

    void contextMenuChoosesLikeTheDoubleClick() {
        table->show();
        QCOMPARE(table->N1->text(), QString("Выбрать"));
        QCOMPARE(table->Grid->contextMenuPolicy(), Qt::CustomContextMenu);
        emit table->Grid->customContextMenuRequested(QPoint(5, 5));
        QTRY_VERIFY(table->PopupMenu1->isVisible());
        table->PopupMenu1->hide();
        table->N1->trigger(); // nothing chosen yet
        QVERIFY(table->isVisible());
        table->Grid->setCurrentCell(9, 1);
        table->N1->trigger();
        QVERIFY(!table->isVisible());
        QCOMPARE(table->result(), int(QDialog::Accepted));
        QCOMPARE(table->selectedCode(), QString("9"));
    }

    void enterChoosesLikeTheDoubleClick() {
        table->show();
        QTest::keyClick(table->Grid, Qt::Key_Return); // on the header: nothing chosen yet
        QVERIFY(table->isVisible());
        table->Grid->setCurrentCell(9, 1);
        QTest::keyClick(table->Grid, Qt::Key_Return);
        QVERIFY(!table->isVisible());
        QCOMPARE(table->result(), int(QDialog::Accepted));
        QCOMPARE(table->selectedCode(), QString("9"));
    }

    void buttonPutsTheChosenCodeIntoTheField_data() {
        QTest::addColumn<int>("row"); // -1: no row chosen
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("field");
        QTest::newRow("code 17") << 17 << true << "17";
        QTest::newRow("cancelled") << 17 << false << "3";
        QTest::newRow("header row") << -1 << true << "3";
    }
    void buttonPutsTheChosenCodeIntoTheField() {
        QFETCH(int, row);
        QFETCH(bool, ok);
        QFETCH(QString, field);
        line->Gr_Nagr->setText("3");
        user->scripts.push_back([row, ok](QDialog& d) {
            if (row >= 0)
                static_cast<TF_GrNagr&>(d).Grid->setCurrentCell(row, 0);
            return ok;
        });
        line->Gr_NagrButton->click();
        QCOMPARE(user->dialogs, QStringList({"TF_GrNagr"}));
        QCOMPARE(line->Gr_Nagr->text(), field);
    }

    // The real modal dialogs, one inside the other: the section dialog, and the table from its button.
    void realTableFromTheSectionDialog() {
        user->desktop = true; // the desktop's own boxes and dialogs from here on
        QStringList fieldAfter;
        QList<int> rowOnReopening;
        // Opens the table from the field's button and lets `pick` act on it.
        auto openTable = [&](TF_Line* d, std::function<void(TF_GrNagr*)> pick) {
            QTimer::singleShot(0, [&, pick] {
                auto* t = qobject_cast<TF_GrNagr*>(QApplication::activeModalWidget());
                if (!t)
                    return;
                rowOnReopening << t->Grid->currentRow();
                pick(t);
                if (t->isVisible())
                    t->reject();
            });
            d->Gr_NagrButton->click();
            fieldAfter << d->Gr_Nagr->text();
        };
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TF_Line*>(QApplication::activeModalWidget());
            if (!d)
                return;
            d->Gr_Nagr->setText("3");
            openTable(d, [](TF_GrNagr* t) { doubleClickRow(t, 17); });
            openTable(d, [](TF_GrNagr* t) {
                QTest::mouseClick(t->Grid->viewport(), Qt::LeftButton, {},
                                  t->Grid->visualItemRect(t->Grid->item(5, 0)).center());
                t->close(); // the title bar's close box
            });
            openTable(d, [](TF_GrNagr* t) { doubleClickRow(t, 5); });
            d->Gr_Nagr->setText("x");
            openTable(d, [](TF_GrNagr* t) { doubleClickRow(t, t->Grid->currentRow()); });
            d->reject();
        });
        forms->F_Line->exec();
        user->desktop = false;
        QCOMPARE(fieldAfter, QStringList({"17", "17", "5", "5"}));
        QCOMPARE(rowOnReopening, QList<int>({0, 17, 5, 5}));
    }
};

QTEST_MAIN(TestCodeTable)
#include "test_code_table.moc"
