#pragma once

#include "calc/calculation.h"
#include "ui/calculation_service/calculation_data.h"

#include <QWidget>

#include <optional>

class CalculationRunner;
class Interaction;
class QComboBox;
class QFileDialog;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
namespace results {
struct ReportRequest;
enum class ReportExtent;
}
class ResultsGrid;
class SchemeComparisonView;
class VoltageProfileChart;

// The results window «Результаты расчёта»: the calculation of the main window's selected source in one
// scheme, recalculated whenever the data change while it is open. One per application, not modal.
class TF_Results : public QWidget {
    Q_OBJECT

public:
    explicit TF_Results(Interaction& user, QWidget* parent = nullptr);
    ~TF_Results() override;

    // The data the window calculates and follows; it does not own them.
    void setData(CalculationData* data);

    QComboBox* Scheme_Box;
    QComboBox* Regime_Box;
    QPushButton* SaveReport;
    QPushButton* PrintReport;
    QLabel* Summary;
    QLabel* Note;
    QTabWidget* Tabs;
    ResultsGrid* NodesGrid;
    ResultsGrid* SectionsGrid;
    ResultsGrid* SubstationsGrid;
    ResultsGrid* ShortCircuitGrid;
    ResultsGrid* ProblemsGrid;
    QComboBox* Line_Box;
    VoltageProfileChart* ProfileChart;
    SchemeComparisonView* Comparison; // the tab «Сравнение схем»
    QFileDialog* SaveReportDialog;

    // The results shown; empty while no source is selected.
    const k10::calc::SchemeResult& result() const { return result_; }
    bool calculating() const;
    k10::calc::Regime regime() const;

    // «Сохранить отчёт…»: the current scheme, the source's schemes or the whole project, as HTML, PDF or
    // CSV by the type chosen in the save dialog, which offers a name made of the project, source and scheme.
    void SaveReportClick();
    // «Печать…».
    void PrintReportClick();

signals:
    // New results are shown (also when there is nothing to calculate).
    void resultsReady();
    // A double-click on a problem asks the main window to select what it names.
    void selectRequested(const ProblemPlace& place);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QWidget* buildProfileTab();
    void buildSaveDialog();
    // Coalesces the notifications of one change into one calculation.
    void scheduleCalculation();
    void calculate();
    // The normal scheme and the source's modes; the chosen one stays chosen while it exists.
    void fillSchemes(bool keepChoice);
    void showResult(const k10::calc::SchemeResult& result, bool builtInCoefficients);
    void showRegime();
    void showProfile();
    void showBusy();
    // The report of the results shown, with the profile of the chosen line and regime.
    results::ReportRequest reportRequest(results::ReportExtent extent) const;
    // Asks how much the report covers when the project has more than one scheme; none when cancelled.
    std::optional<results::ReportExtent> chooseExtent();

    Interaction& user_;
    CalculationData* data_ = nullptr;
    CalculationRunner* runner_;
    QTimer* pending_;
    k10::calc::SchemeResult result_;
    k10::calc::Settings settings_;
    bool builtInCoefficients_ = true;
    int source_ = 0;
    QString offeredName_; // the report's name the save dialog offers, without suffix
};
