#pragma once

#include "ui/main_window/form_main.h"
#include "ui/widgets/string_grid.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QtGlobal>

// The main window's controls, found by their object names as an accessibility tool finds them; a name
// the window does not have ends the test program at once.
struct MainControls {
    explicit MainControls(TFormMain* main) : window(main) {}

    template <class Widget> Widget* find(const char* name) const {
        Widget* found = window->findChild<Widget*>(name);
        if (!found)
            qFatal("the main window has no %s", name);
        return found;
    }

    TFormMain* const window;
    QGroupBox* const RzGroupBox1 = find<QGroupBox>("RzGroupBox1");
    QGroupBox* const RzGroupBox2 = find<QGroupBox>("RzGroupBox2");
    QGroupBox* const RzGroupBox3 = find<QGroupBox>("RzGroupBox3");
    QGroupBox* const RzGroupBox4 = find<QGroupBox>("RzGroupBox4");
    StringGrid* const SourceGrid = find<StringGrid>("SourceGrid");
    StringGrid* const LinesGrid = find<StringGrid>("LinesGrid");
    StringGrid* const LineGrid = find<StringGrid>("LineGrid");
    StringGrid* const ModeWorkGrid = find<StringGrid>("ModeWorkGrid");
    QLabel* const DatePane = find<QLabel>("DatePane");
    QLabel* const TimePane = find<QLabel>("TimePane");
    QMenu* const N1 = find<QMenu>("N1");
    QAction* const N6 = find<QAction>("N6");
    QAction* const N7 = find<QAction>("N7");
    QAction* const N11 = find<QAction>("N11");
    QAction* const DOS1 = find<QAction>("DOS1");
    QAction* const N8 = find<QAction>("N8");
    QAction* const N9 = find<QAction>("N9");
    QMenu* const N17 = find<QMenu>("N17");
    QAction* const N18 = find<QAction>("N18");
    QAction* const N19 = find<QAction>("N19");
    QMenu* const N13 = find<QMenu>("N13");
    QAction* const N14 = find<QAction>("N14");
    QAction* const N16 = find<QAction>("N16");
    QAction* const N20 = find<QAction>("N20");
    QMenu* const N21 = find<QMenu>("N21");
    QAction* const N22 = find<QAction>("N22");
    QAction* const N23 = find<QAction>("N23");
    QAction* const N24 = find<QAction>("N24");
    QAction* const N25 = find<QAction>("N25");
    QMenu* const N2 = find<QMenu>("N2");
    QAction* const N3 = find<QAction>("N3");
    QAction* const N12 = find<QAction>("N12");
    QMenu* const Source_PopupMenu = find<QMenu>("Source_PopupMenu");
    QAction* const Source_Add = find<QAction>("Source_Add");
    QAction* const Source_Edit = find<QAction>("Source_Edit");
    QAction* const Source_Del = find<QAction>("Source_Del");
    QMenu* const LinesPopupMenu = find<QMenu>("LinesPopupMenu");
    QAction* const N5 = find<QAction>("N5");
    QAction* const N10 = find<QAction>("N10");
    QMenu* const PopupMenu2 = find<QMenu>("PopupMenu2");
    QAction* const Line_Add = find<QAction>("Line_Add");
    QAction* const N15 = find<QAction>("N15");
    QAction* const Line_Edit = find<QAction>("Line_Edit");
    QAction* const Line_Del = find<QAction>("Line_Del");
    QMenu* const PopupMenu3 = find<QMenu>("PopupMenu3");
    QAction* const ModeWork_Add = find<QAction>("ModeWork_Add");
    QAction* const ModeWork_Edit = find<QAction>("ModeWork_Edit");
    QAction* const ModeWork_Del = find<QAction>("ModeWork_Del");
    QAction* const N4 = find<QAction>("N4");
    QAction* const Calculate = find<QAction>("Calculate");
    QFileDialog* const OpenProjectDialog1 = find<QFileDialog>("OpenProjectDialog1");
    QFileDialog* const SaveProjectDialog1 = find<QFileDialog>("SaveProjectDialog1");
    QFileDialog* const I_forDos = find<QFileDialog>("I_forDos");
};
