#include "ui/main_window/workbench.h"

#include "document/project_document.h"
#include "ui/reference/catalog_dialog.h"
#include "ui/main_window/form_main.h"
#include "ui/models/current_place.h"
#include "ui/calculation_service/document_calculation_data.h"
#include "ui/calculation/tf_calcsettings.h"
#include "ui/calculation/tf_checkdata.h"
#include "ui/reference/tf_koefnagr.h"
#include "ui/calculation/tf_results.h"
#include "ui/schematic/schematic_scene.h"
#include "ui/schematic/tf_schematic.h"
#include "ui/widgets/string_grid.h"
#include "ui/records/tf_grnagr.h"
#include "ui/main_window/tf_import.h"
#include "ui/records/tf_line.h"
#include "ui/records/tf_modework.h"
#include "ui/records/tf_newline.h"
#include "ui/reference/tf_provodedit.h"
#include "ui/records/tf_source.h"
#include "ui/reference/tf_spravprovod.h"
#include "ui/reference/tf_spravtrans.h"
#include "ui/reference/tf_transedit.h"
#include "ui/main_window/tformabout.h"
#include "ui/desktop/window_place.h"

#include <QDialog>

#include <functional>
#include <utility>

namespace {

// A catalog of the document, edited through its entry dialog. The entry dialog gives
// prefill(const Record&) and storeInto(Record&), which cuts the name and the numbers to their fields.
template <class Record, class Entry> class DocumentCatalog final : public CatalogStore {
public:
    using Catalog = k10::RecordArray<Record>;

    DocumentCatalog(ProjectDocument& document, Entry& entry, std::function<void()> refillLists)
        : document_(document), entry_(entry), refillLists_(std::move(refillLists)) {}

    int count() const override { return catalog().count(); }
    bool wasRead() const override { return stored().wasRead(); }
    QString unreadMessage() const override { return QString::fromUtf8(stored().unreadMessage()); }
    CatalogEntryDialog& entryDialog() override { return entry_; }
    void prefillBlank() override { entry_.prefill(Record{}); }
    void prefill(int slot) override { entry_.prefill(catalog()[slot]); }
    void append() override {
        Record record;
        entry_.storeInto(record);
        change([&](Catalog& catalog) { catalog.append(std::move(record)); });
    }
    void store(int slot) override {
        Record record;
        entry_.storeInto(record);
        change([&](Catalog& catalog) { catalog[slot] = std::move(record); });
    }
    void remove(int slot) override {
        change([slot](Catalog& catalog) { catalog.remove(slot); });
    }
    void refillLists() override { refillLists_(); }

private:
    const ReferenceFile<Catalog>& stored() const { return document_.reference<Catalog>(); }
    const Catalog& catalog() const { return stored().data(); }
    void change(const std::function<void(Catalog&)>& edit) { document_.change<Catalog>(edit); }

    ProjectDocument& document_;
    Entry& entry_;
    std::function<void()> refillLists_;
};

} // namespace

Workbench::Workbench(Interaction& user)
    : Document(std::make_unique<ProjectDocument>()), Place(std::make_unique<CurrentPlace>(*Document)) {
    FormMain = new TFormMain(*Document, *Place, user);
    F_SpravProvod = new TF_SpravProvod(user, FormMain);
    F_SpravTrans = new TF_SpravTrans(user, FormMain);
    F_Source = new TF_Source(user, FormMain);
    F_Source->setProject(&Document->project());
    F_Line = new TF_Line(user, FormMain);
    F_ModeWork = new TF_ModeWork(FormMain);
    F_NewLine = new TF_NewLine(FormMain);
    F_Import = new TF_Import(FormMain);
    FormAbout = new TFormAbout(FormMain);
    F_GrNagr = new TF_GrNagr(FormMain);
    F_ProvodEdit = new TF_ProvodEdit(user, FormMain);
    F_TransEdit = new TF_TransEdit(user, FormMain);
    Calculation = std::make_unique<DocumentCalculationData>(*Document, *Place);
    F_Results = new TF_Results(user, FormMain);
    F_CheckData = new TF_CheckData(FormMain);
    F_CalcSettings = new TF_CalcSettings(user, FormMain);
    F_KoefNagr = new TF_KoefNagr(user, FormMain);
    F_Schematic = new TF_Schematic(user, FormMain);
    F_Line->setCodeTable(F_GrNagr);
    attachCatalogDialogs();
    attachCalculationWindows();
    attachSchematic();
    // The dialogs open within the screen too; the main, results and check windows keep their places.
    for (QDialog* dialog : FormMain->findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        keepWindowPlace(*dialog);
    FormMain->attach(this);
}

// The main window and its dialogs go before the calculation's data and the document they show.
Workbench::~Workbench() {
    delete FormMain;
}

void Workbench::show() {
    FormMain->show();
}

void Workbench::attachCatalogDialogs() {
    F_SpravProvod->setStore(std::make_unique<DocumentCatalog<TProvoda, TF_ProvodEdit>>(
        *Document, *F_ProvodEdit, [this] { FormMain->fillWireLists(); }));
    F_SpravTrans->setStore(std::make_unique<DocumentCatalog<TTrans, TF_TransEdit>>(
        *Document, *F_TransEdit, [this] { FormMain->fillTransLists(); }));
}

void Workbench::attachCalculationWindows() {
    F_Results->setData(Calculation.get());
    auto select = [this](const ProblemPlace& place) {
        Place->select({place.source, place.line, place.section, place.mode});
    };
    QObject::connect(F_Results, &TF_Results::selectRequested, FormMain, select);
    QObject::connect(F_CheckData, &TF_CheckData::selectRequested, FormMain, select);
}

void Workbench::attachSchematic() {
    F_Schematic->setData(Calculation.get());
    // The report draws each scheme it covers as this window does.
    F_Results->setSchemePicture(schematicPicture);
    QObject::connect(F_Schematic, &TF_Schematic::selectRequested, FormMain, [this](const ProblemPlace& place) {
        Place->select({place.source, place.line, place.section, place.mode});
    });
    // The current section of the one current place, highlighted on the drawing.
    QObject::connect(Place.get(), &CurrentPlace::changed, F_Schematic, [this] {
        F_Schematic->showCurrentPlace(Place->source() + 1, Place->line() + 1, Place->section() + 1);
    });
}
