#include "ui/calculation/tf_results.h"

#include "ui/desktop/cp1251_text.h"
#include "ui/desktop/interaction.h"
#include "ui/calculation_service/calculation_runner.h"
#include "ui/calculation/result_tables.h"
#include "ui/calculation/results_grid.h"
#include "ui/calculation/results_report.h"
#include "ui/calculation/scheme_comparison_view.h"
#include "ui/calculation/voltage_profile.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFileInfo>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>

#include <exception>

using k10::calc::Regime;
using k10::calc::SchemeResult;
using namespace results;

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QLabel* captionFor(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TF_Results::TF_Results(Interaction& user, QWidget* parent) : QWidget(parent, Qt::Window), user_(user) {
    setObjectName("TF_Results");
    setWindowTitle("Результаты расчёта");
    runner_ = new CalculationRunner(this);
    pending_ = new QTimer(this);
    pending_->setObjectName("PendingCalculation");
    pending_->setSingleShot(true);
    pending_->setInterval(0);
    connect(pending_, &QTimer::timeout, this, &TF_Results::calculate);
    connect(runner_, &CalculationRunner::finished, this, &TF_Results::showResult);
    buildControls();
    buildSaveDialog();
    resize(960, 640);
}

TF_Results::~TF_Results() = default;

void TF_Results::buildControls() {
    Scheme_Box = named(new QComboBox, "Scheme_Box");
    Scheme_Box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Regime_Box = named(new QComboBox, "Regime_Box");
    Regime_Box->addItems({regimeCaption(Regime::Day), regimeCaption(Regime::Evening)});
    SaveReport = named(new QPushButton("Сохранить отчёт…"), "SaveReport");
    PrintReport = named(new QPushButton("Печать…"), "PrintReport");

    auto* choices = new QHBoxLayout;
    choices->addWidget(captionFor("Схема", Scheme_Box));
    choices->addWidget(Scheme_Box);
    choices->addSpacing(12);
    choices->addWidget(captionFor("Режим нагрузки", Regime_Box));
    choices->addWidget(Regime_Box);
    choices->addStretch();
    choices->addWidget(SaveReport);
    choices->addWidget(PrintReport);

    Summary = named(new QLabel, "Summary");
    Summary->setWordWrap(true);
    Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = Summary->font();
    bold.setBold(true);
    Summary->setFont(bold);
    Note = named(new QLabel, "Note");
    Note->setWordWrap(true);
    Note->setTextInteractionFlags(Qt::TextSelectableByMouse);

    NodesGrid = named(new ResultsGrid(nodesTable({}, Regime::Day).headers), "NodesGrid");
    SectionsGrid = named(new ResultsGrid(sectionsTable({}, Regime::Day).headers), "SectionsGrid");
    SubstationsGrid = named(new ResultsGrid(substationsTable({}, Regime::Day).headers), "SubstationsGrid");
    ShortCircuitGrid = named(new ResultsGrid(shortCircuitTable({}).headers), "ShortCircuitGrid");
    ProblemsGrid = named(new ResultsGrid(problemsTable({}).headers), "ProblemsGrid");
    Tabs = named(new QTabWidget, "Tabs");
    Tabs->addTab(NodesGrid, "Узлы");
    Tabs->addTab(SectionsGrid, "Участки");
    Tabs->addTab(SubstationsGrid, "ТП");
    Tabs->addTab(ShortCircuitGrid, "Токи КЗ");
    Tabs->addTab(ProblemsGrid, "Замечания");
    Tabs->addTab(buildProfileTab(), "Профиль");
    Comparison = new SchemeComparisonView;
    Tabs->addTab(Comparison, "Сравнение схем");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(Summary);
    layout->addWidget(Note);
    layout->addWidget(Tabs, 1);

    connect(Scheme_Box, &QComboBox::currentIndexChanged, this, &TF_Results::scheduleCalculation);
    connect(Regime_Box, &QComboBox::currentIndexChanged, this, &TF_Results::showRegime);
    connect(Line_Box, &QComboBox::currentIndexChanged, this, &TF_Results::showProfile);
    connect(ProblemsGrid, &QTableWidget::cellDoubleClicked, this,
            [this](int row) { emit selectRequested(ProblemsGrid->placeAt(row)); });
    // A double-click in the comparison opens that scheme on its nodes.
    connect(Comparison, &SchemeComparisonView::schemeChosen, this, [this](int mode) {
        Scheme_Box->setCurrentIndex(mode);
        Tabs->setCurrentIndex(0);
    });
    connect(SaveReport, &QPushButton::clicked, this, &TF_Results::SaveReportClick);
    connect(PrintReport, &QPushButton::clicked, this, &TF_Results::PrintReportClick);
}

QWidget* TF_Results::buildProfileTab() {
    auto* tab = named(new QWidget, "ProfileTab");
    Line_Box = named(new QComboBox, "Line_Box");
    Line_Box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ProfileChart = named(new VoltageProfileChart, "ProfileChart");
    auto* choice = new QHBoxLayout;
    choice->addWidget(captionFor("Линия", Line_Box));
    choice->addWidget(Line_Box);
    choice->addStretch();
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(choice);
    layout->addWidget(ProfileChart, 1);
    return tab;
}

void TF_Results::buildSaveDialog() {
    SaveReportDialog = named(new QFileDialog(this), "SaveReportDialog");
    SaveReportDialog->setOption(QFileDialog::DontUseNativeDialog);
    SaveReportDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveReportDialog->setFileMode(QFileDialog::AnyFile);
    SaveReportDialog->setNameFilters(reportFilters());
    SaveReportDialog->setDefaultSuffix("html");
    connect(SaveReportDialog, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        SaveReportDialog->setDefaultSuffix(reportSuffix(reportFormatOf({}, filter)));
        // The offered name follows the type chosen; a name the user typed stays.
        const QStringList typed = SaveReportDialog->selectedFiles();
        if (!offeredName_.isEmpty() && (typed.isEmpty() || QFileInfo(typed.first()).completeBaseName() == offeredName_))
            SaveReportDialog->selectFile(offeredName_ + "." + SaveReportDialog->defaultSuffix());
    });
}

void TF_Results::setData(CalculationData* data) {
    if (data_)
        data_->disconnect(this);
    data_ = data;
    connect(data_, &CalculationData::changed, this, &TF_Results::scheduleCalculation);
    connect(data_, &CalculationData::selectedSourceChanged, this, &TF_Results::scheduleCalculation);
    // The comparison follows the data and the source, not the scheme shown.
    auto compare = [this] { Comparison->setSource(*data_, data_->selectedSource()); };
    connect(data_, &CalculationData::changed, this, compare);
    connect(data_, &CalculationData::selectedSourceChanged, this, compare);
    compare();
    scheduleCalculation();
}

bool TF_Results::calculating() const {
    return pending_->isActive() || runner_->busy();
}

Regime TF_Results::regime() const {
    return Regime(std::max(0, Regime_Box->currentIndex()));
}

void TF_Results::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    scheduleCalculation();
}

void TF_Results::scheduleCalculation() {
    // A hidden window calculates when it is shown again.
    if (isVisible() && data_)
        pending_->start();
}

void TF_Results::fillSchemes(bool keepChoice) {
    QSignalBlocker blocker(Scheme_Box);
    const int chosen = keepChoice ? Scheme_Box->currentIndex() : 0;
    Scheme_Box->clear();
    if (source_ == 0)
        return;
    const TSource& source = data_->project().Sources[source_];
    for (int mode = 0; mode <= source.ModeWorkCount(); ++mode)
        Scheme_Box->addItem(schemeCaption(source, mode));
    Scheme_Box->setCurrentIndex(chosen >= 0 && chosen < Scheme_Box->count() ? chosen : 0);
}

void TF_Results::calculate() {
    const int source = data_->selectedSource();
    const bool sameSource = source == source_;
    source_ = source > 0 && source <= data_->project().SourceCount() ? source : 0;
    fillSchemes(sameSource);
    if (source_ == 0) {
        setWindowTitle("Результаты расчёта");
        showResult(SchemeResult{}, data_->coefficients().builtIn);
        Summary->setText("Нет источника питания для расчёта.");
        return;
    }
    setWindowTitle("Результаты расчёта — " + fromCp1251(data_->project().Sources[source_].Name.view()));
    settings_ = data_->settings();
    runner_->start(*data_, source_, std::max(0, Scheme_Box->currentIndex()));
    if (runner_->busy())
        showBusy();
}

void TF_Results::showBusy() {
    Summary->setText("Идёт расчёт…");
    Tabs->setEnabled(false);
    SaveReport->setEnabled(false);
    PrintReport->setEnabled(false);
}

void TF_Results::showResult(const SchemeResult& result, bool builtInCoefficients) {
    result_ = result;
    builtInCoefficients_ = builtInCoefficients;
    Tabs->setEnabled(true);
    SaveReport->setEnabled(source_ != 0);
    PrintReport->setEnabled(source_ != 0);
    Note->setText(settingsLine(settings_, builtInCoefficients_) + ".\n" + notCalculatedLine());
    ShortCircuitGrid->showTable(shortCircuitTable(result_));
    ProblemsGrid->showTable(problemsTable(result_));
    {
        QSignalBlocker blocker(Line_Box);
        const QString chosen = Line_Box->currentText();
        Line_Box->clear();
        Line_Box->addItems(profileLines(result_));
        Line_Box->setCurrentIndex(std::max(0, Line_Box->findText(chosen)));
    }
    showRegime();
    emit resultsReady();
}

void TF_Results::showRegime() {
    Summary->setText(summaryLine(result_, regime()));
    NodesGrid->showTable(nodesTable(result_, regime()));
    SectionsGrid->showTable(sectionsTable(result_, regime()));
    SubstationsGrid->showTable(substationsTable(result_, regime()));
    showProfile();
}

void TF_Results::showProfile() {
    ProfileChart->showProfile(voltageProfile(result_, regime(), Line_Box->currentText()),
                              settings_.maxLossPercent);
}

ReportRequest TF_Results::reportRequest(ReportExtent extent) const {
    ReportRequest request;
    request.data = data_;
    request.source = source_;
    request.mode = std::max(0, Scheme_Box->currentIndex());
    request.extent = extent;
    request.regime = regime();
    request.profileLine = Line_Box->currentText();
    return request;
}

std::optional<ReportExtent> TF_Results::chooseExtent() {
    if (source_ == 0)
        return std::nullopt; // no source: nothing to report
    const TProect& project = data_->project();
    if (project.SourceCount() <= 1 && project.Sources[source_].ModeWorkCount() == 0)
        return ReportExtent::Scheme; // the project has one scheme: there is nothing to choose
    const int chosen = user_.chooseItem(this, "Что включить в отчёт?", reportExtentCaptions());
    if (chosen < 0)
        return std::nullopt;
    return ReportExtent(chosen);
}

void TF_Results::SaveReportClick() {
    const std::optional<ReportExtent> extent = chooseExtent();
    if (!extent)
        return;
    const ReportRequest request = reportRequest(*extent);
    offeredName_ = offeredReportName(request);
    SaveReportDialog->selectFile(offeredName_ + "." + SaveReportDialog->defaultSuffix());
    const QString path = user_.chooseFile(*SaveReportDialog);
    if (path.isEmpty())
        return;
    try {
        saveReport(request, path, reportFormatOf(path, SaveReportDialog->selectedNameFilter()));
    } catch (const std::exception& error) {
        user_.showError(this, QString::fromUtf8(error.what()));
    }
}

void TF_Results::PrintReportClick() {
    const std::optional<ReportExtent> extent = chooseExtent();
    if (!extent)
        return;
    auto document = reportDocument(reportRequest(*extent));
    user_.print(this, *document);
}
