#pragma once

#include <memory>

class Interaction;
class CurrentPlace;
class ProjectDocument;
class TFormMain;
class TF_SpravProvod;
class TF_SpravTrans;
class TF_Source;
class TF_Line;
class TF_ModeWork;
class TF_NewLine;
class TF_Import;
class TFormAbout;
class TF_GrNagr;
class TF_ProvodEdit;
class TF_TransEdit;
class DocumentCalculationData;
class TF_Results;
class TF_CheckData;
class TF_CalcSettings;
class TF_KoefNagr;
class TF_Schematic;

// The document and every window of the application, created once at start-up in a fixed order, the main
// window first, and kept to the end of the run. The dialogs are owned by the main window and shown
// modally as often as needed. Every window that waits for the user does so through the interaction given.
class Workbench {
public:
    explicit Workbench(Interaction& user);
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    // Shows the main window; its first showing reads the catalogs.
    void show();

    const std::unique_ptr<ProjectDocument> Document;
    // Where the user stands in the document; the main window's tables, the commands and the calculation
    // windows follow it.
    const std::unique_ptr<CurrentPlace> Place;
    TFormMain* FormMain;
    TF_SpravProvod* F_SpravProvod;
    TF_SpravTrans* F_SpravTrans;
    TF_Source* F_Source;
    TF_Line* F_Line;
    TF_ModeWork* F_ModeWork;
    TF_NewLine* F_NewLine;
    TF_Import* F_Import;
    TFormAbout* FormAbout;
    TF_GrNagr* F_GrNagr;
    TF_ProvodEdit* F_ProvodEdit;
    TF_TransEdit* F_TransEdit;
    // What the calculation windows read; it follows the document and the main window's source.
    std::unique_ptr<DocumentCalculationData> Calculation;
    TF_Results* F_Results;
    TF_CheckData* F_CheckData;
    TF_CalcSettings* F_CalcSettings;
    TF_KoefNagr* F_KoefNagr;
    TF_Schematic* F_Schematic;

private:
    // Ties each catalog dialog to its catalog in the document, its entry dialog and the lists that offer
    // the catalog's names.
    void attachCatalogDialogs();
    // Gives the calculation windows their data, and their requests to select a problem's place to the
    // current place.
    void attachCalculationWindows();
    // Gives the diagram its data, its clicks to the main window, the main window's current section, and
    // the report its drawings.
    void attachSchematic();
};
