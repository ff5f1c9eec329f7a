#pragma once

#include <QString>

class Interaction;
class QWidget;

// The user guide lies beside the program in two forms: the compiled file, built only where its compiler
// is installed, and the same pages as HTML, which every build puts in the folder "help".
inline constexpr char kCompiledHelpFile[] = "KORVANE10.chm";
inline constexpr char kHtmlHelpFolder[] = "help";

// Opens the guide of the program in programFolder in the first form the desktop can show: the compiled
// file when it exists and the desktop names an application for its type; otherwise the HTML guide's
// index when it exists and the desktop names an application for HTML; otherwise it says in a message in
// which folder the guide lies.
void openHelp(Interaction& user, QWidget* parent, const QString& programFolder);

// The same for the running program: the command «Помощь → Помощь».
void openHelp(Interaction& user, QWidget* parent);
