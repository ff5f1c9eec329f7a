// Windows within the screen: where a window's frame is put within a screen's free area, and the main,
// results and check windows opening within the screen and keeping their places between runs.

#include "support/main_controls.h"
#include "support/scripted_interaction.h"
#include "ui/calculation/tf_checkdata.h"
#include "ui/calculation/tf_results.h"
#include "ui/desktop/window_place.h"
#include "ui/main_window/form_main.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QScreen>
#include <QSettings>
#include <QtTest>

class TestWindowPlace : public QObject, WindowFixture {
    Q_OBJECT

    QRect area() const { return main->screen()->availableGeometry(); }
    // The three windows that keep their places, the results and check windows opened from the menu.
    QList<QWidget*> openAll() {
        MainControls(main).N23->trigger();
        MainControls(main).N22->trigger();
        return {main, forms->F_Results, forms->F_CheckData};
    }
    // A new run in the same settings: the windows built anew and the main window shown.
    void restart() {
        forms.reset();
        forms = std::make_unique<Workbench>(*user);
        main = forms->FormMain;
        forms->show();
    }

private slots:
    void init() { start(); }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void fitWithin_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("smallest");
        QTest::addColumn<QRect>("fitted");
        const QRect screen(0, 0, 1280, 1000);
        QTest::newRow("within stays") << QRect(100, 100, 645, 661) << screen << QSize() << QRect(100, 100, 645, 661);
        QTest::newRow("below the screen moves up")
            << QRect(160, 375, 960, 640) << screen << QSize() << QRect(160, 360, 960, 640);
        QTest::newRow("beyond the right edge moves left")
            << QRect(1000, 100, 400, 300) << screen << QSize() << QRect(880, 100, 400, 300);
        QTest::newRow("above a panel and left of the screen")
            << QRect(-50, -20, 400, 300) << QRect(0, 30, 1280, 970) << QSize() << QRect(0, 30, 400, 300);
        QTest::newRow("a second screen to the right")
            << QRect(3500, 200, 960, 640) << QRect(1920, 0, 1600, 870) << QSize() << QRect(2560, 200, 960, 640);
        QTest::newRow("larger than the screen shrinks to it")
            << QRect(-10, 50, 960, 640) << QRect(0, 0, 800, 600) << QSize(300, 200) << QRect(0, 0, 800, 600);
        QTest::newRow("no smaller than its smallest, top-left within")
            << QRect(10, -50, 645, 700) << QRect(0, 0, 800, 600) << QSize(645, 700) << QRect(10, 0, 645, 700);
    }
    void fitWithin() {
        QFETCH(QRect, frame);
        QFETCH(QRect, area);
        QFETCH(QSize, smallest);
        QFETCH(QRect, fitted);
        QCOMPARE(::fitWithin(frame, area, smallest), fitted);
    }

    // The results window (960 × 640) is larger than the test screen; every window opens within it, keeps
    // the size and place it was left with for the next run, and a place kept for a screen that is gone
    // comes back within this one.
    void windowsOpenWithinAndKeepTheirPlaces() {
        QList<QWidget*> windows = openAll();
        // The main window is taller than the test screen and never smaller than its default size.
        for (QWidget* window : windows.mid(1))
            QVERIFY2(area().contains(window->frameGeometry()), qPrintable(window->objectName()));
        QVERIFY(forms->F_Results->width() < 960);

        const QList<QRect> left = {QRect(40, 30, 660, 540), QRect(70, 20, 600, 400), QRect(10, 60, 500, 300)};
        QList<QRect> frames;
        for (int i = 0; i < windows.size(); ++i) {
            windows[i]->setGeometry(left[i]);
            frames << windows[i]->frameGeometry();
            windows[i]->hide();
        }
        restart();
        windows = openAll();
        for (int i = 0; i < windows.size(); ++i)
            QCOMPARE(windows[i]->frameGeometry(), frames[i]);

        for (QWidget* window : windows)
            window->hide();
        QSettings store;
        store.setValue("windows/results/place", QPoint(5000, 3000));
        store.setValue("windows/check/size", QSize(1200, 900));
        restart();
        windows = openAll();
        for (QWidget* window : windows)
            QVERIFY2(area().contains(window->frameGeometry()), qPrintable(window->objectName()));
        QCOMPARE(forms->F_Results->frameGeometry().size(), frames[1].size());
    }
};

QTEST_MAIN(TestWindowPlace)
#include "test_window_place.moc"
