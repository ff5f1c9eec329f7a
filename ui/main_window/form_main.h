#pragma once

#include "catalogs/catalog_files.h"
#include "document/project_document.h"
#include "ui/models/current_place.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class GrowingBox;
class Interaction;
class QAction;
class QFileDialog;
class QGroupBox;
class QLabel;
class QMenu;
class StringGrid;
class Workbench;

// The main window: shows the document's project in four linked tables, views over the current place's
// models, and starts every command. Its handlers check the current place, run their dialog and hand the
// change to the document as a command; the tables follow the document's notice of it, as they follow
// undo, redo, Open and import. Its controls and handlers are its own: tests find them by object name. Its methods are spread over files by area: the window and its refresh
// (form_main.cpp), Open, Save and the history, sources, lines and sections, operating modes, catalogs,
// import.
class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    TFormMain(ProjectDocument& document, CurrentPlace& place, Interaction& user, QWidget* parent = nullptr);
    ~TFormMain() override;

    // Gives the window the other windows of the application, once they all exist.
    void attach(Workbench* forms);

    // Writes the catalog's names into its dialog's grid and, after emptying them, into the drop-down
    // lists that offer them (the wire lists of the section and mode dialogs, the transformer list of the
    // section dialog).
    void fillWireLists();
    void fillTransLists();

protected:
    void showEvent(QShowEvent* event) override;
    // The boxes and their tables follow the window's size.
    void resizeEvent(QResizeEvent* event) override;
    // The close box and Exit: the window closes only when the project may be dropped.
    void closeEvent(QCloseEvent* event) override;

private:
    // What the window shows, owned by the document.
    const TProect& Proect;
    const k10::WireCatalog& WireCatalog;
    const k10::TransCatalog& TransCatalog;

    // Controls.
    QGroupBox* RzGroupBox1; // sources
    QGroupBox* RzGroupBox2; // sections of the current line
    QGroupBox* RzGroupBox3; // operating modes
    QGroupBox* RzGroupBox4; // lines
    StringGrid* SourceGrid;
    StringGrid* LinesGrid;
    StringGrid* LineGrid;
    StringGrid* ModeWorkGrid;
    QLabel* DatePane;
    QLabel* TimePane;

    QMenu* N1; // "Файл"
    QAction* N6;
    QAction* N7;
    QAction* N11;
    QAction* DOS1;
    QAction* N8;
    QAction* N9;
    QMenu* N17;   // "Правка"
    QAction* N18; // "Отменить"
    QAction* N19; // "Повторить"
    QMenu* N13;   // "Справочники"
    QAction* N14;
    QAction* N16;
    QAction* N20; // "Коэффициенты графиков нагрузки"
    QMenu* N21;   // "Расчёт"
    QAction* N22; // "Проверить данные"
    QAction* N23; // "Результаты расчёта…"
    QAction* N25; // "Схема сети"
    QAction* N24; // "Параметры расчёта…"
    QMenu* N2; // "Помощь"
    QAction* N3;
    QAction* N12;

    QMenu* Source_PopupMenu;
    QAction* Source_Add;
    QAction* Source_Edit;
    QAction* Source_Del;
    QMenu* LinesPopupMenu;
    QAction* N5;
    QAction* N10;
    QMenu* PopupMenu2;
    QAction* Line_Add;
    QAction* N15;
    QAction* Line_Edit;
    QAction* Line_Del;
    QMenu* PopupMenu3;
    QAction* ModeWork_Add;
    QAction* ModeWork_Edit;
    QAction* ModeWork_Del;
    QAction* N4;
    QAction* Calculate;

    QFileDialog* OpenProjectDialog1;
    QFileDialog* SaveProjectDialog1;
    QFileDialog* I_forDos;

    // The window and its tables: the user's choice of a row goes to the current place, whose rows the
    // tables then show.
    void FormShow();
    void SourceGridSelectCell(int ACol, int ARow);
    void LinesGridSelectCell(int ACol, int ARow);
    void LineGridSelectCell(int ACol, int ARow);
    void ModeWorkGridSelectCell(int ACol, int ARow);
    void N9Click();  // Exit
    void N12Click(); // Help
    void N3Click();  // About

    // Open, Save and the history.
    void N6Click();
    void N7Click();
    void N18Click(); // Undo
    void N19Click(); // Redo
    // True when the project may be dropped: it holds no unsaved change, or the user had it saved, or
    // chose to drop it. A cancelled or failed Save keeps it.
    bool mayDropProject();

    // Sources.
    void Source_AddClick();
    void Source_EditClick();
    void Source_DelClick();

    // Lines and sections.
    void N5Click();
    void N10Click();
    void Line_AddClick();
    void N15Click();
    void Line_EditClick();
    void Line_DelClick();

    // Operating modes.
    void ModeWork_AddClick();
    void ModeWork_EditClick();
    void ModeWork_DelClick();
    void CalculateClick();

    // Catalogs.
    void N14Click();
    void N16Click();
    void N20Click(); // the load coefficient table

    // The calculation: its windows and its settings.
    void N22Click(); // check the data
    void N23Click(); // the results window
    void N25Click(); // the network diagram
    void N24Click(); // the settings

    // Import.
    void DOS1Click();

    using Handler = void (TFormMain::*)();
    // Runs a command; a failure that escapes it ends it with the application's standard error box.
    void run(const std::function<void()>& command);
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption, Handler handler);
    void buildMenus();
    void buildEditMenu();
    void buildCalculationMenu();
    void buildSourcesBox(QWidget* client);
    void buildLinesBox(QWidget* client);
    void buildSectionsBox(QWidget* client);
    void buildModesBox(QWidget* client);
    static QIcon calculateIcon(); // the small picture of the Calculate item
    void buildStatusBar();
    void buildFileDialogs();
    void sizeTables();
    // Shares what the window has grown by beyond its default size among the boxes; at the default size
    // everything stands where the boxes were built.
    void placeBoxes();
    // Makes the current row of each table the current place's.
    void showCurrentRows();
    // Shows a file dialog in the open project's folder, or where the last file was chosen, offering the
    // name given; the chosen path, or empty when the user cancelled.
    QString chooseFile(QFileDialog& dialog, const QString& offered = QString());

    // The records a command acts on, from the current rows; nothing after the refusal of the first check
    // that failed has been shown.
    SelectionCheck selection() const;
    std::optional<ProjectPlace> target(const SelectionCheck& check);

    ProjectDocument& document_;
    CurrentPlace& place_;
    Interaction& user_;
    Workbench* forms_ = nullptr;
    bool shown_ = false;
    bool tablesSized_ = false;
    QString lastFolder_; // of the last file chosen in a file dialog
    std::unique_ptr<GrowingBox> sourcesBox_, linesBox_, sectionsBox_, modesBox_;
    // The header cells above each data table's columns, in column order; they fix the column widths.
    std::vector<QLabel*> sourceHeader_, sectionHeader_, modeHeader_;
};
