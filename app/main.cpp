// Start-up: the application, its Russian translations, every window created once, the event loop.

#include "ui/desktop/interaction.h"
#include "ui/desktop/russian_locale.h"
#include "ui/main_window/workbench.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <iostream>

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    // The calculation settings are kept between runs under these names.
    QApplication::setOrganizationName("Korvane10");
    QApplication::setApplicationName("Korvane10");
    useRussianLocale(app);

    DesktopInteraction desktop;
    Workbench workbench(desktop);
    workbench.show();

    // For the benchmark only: prints the milliseconds from the start of main to the shown window, on the
    // event loop's first turn, and quits.
    if (qEnvironmentVariableIsSet("KORVANE10_STARTUP_PROBE"))
        QTimer::singleShot(0, &app, [started] {
            std::cout << std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                             .count()
                      << std::endl;
            QApplication::quit();
        });
    return QApplication::exec();
}
