#include "ui/calculation/tf_results.h"

#include "ui/desktop/cp1251_text.h"
#include "ui/desktop/interaction.h"
#include "ui/desktop/window_place.h"
#include "ui/calculation_service/calculation_runner.h"
#include "ui/calculation/result_models.h"
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
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>

#include <exception>

using k10::calc::Regime;
using k10::calc::SchemeResult;
using namespace results;

namespace {

// How long a calculation off the interface thread runs before the window says «Идёт расчёт…».
constexpr int kBusyDelayMs = 150;

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
    runner_->setObjectName("CalculationRunner");
    shown_ = std::make_shared<const ResultRows>();
    pending_ = new QTimer(this);
    pending_->setObjectName("PendingCalculation");
    // A calculation off the interface thread greys the tables only when it takes long enough to be seen:
    // a quick one would only make them flicker.
    busy_ = new QTimer(this);
    busy_->setSingleShot(true);
    busy_->setInterval(kBusyDelayMs);
    connect(busy_, &QTimer::timeout, this, [this] {
        if (runner_->busy())
            showBusy();
    });
    pending_->setSingleShot(true);
    pending_->setInterval(0);
    connect(pending_, &QTimer::timeout, this, &TF_Results::calculate);
    connect(runner_, &CalculationRunner::finished, this, &TF_Results::showResult);
    buildControls();
    buildSaveDialog();
    resize(960, 640);
    keepWindowPlace(*this, "results");
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

    // The lines left out of the scheme for their errors, above the tabs; hidden while there are none.
    Excluded = named(new QLabel, "Excluded");
    Excluded->setWordWrap(true);
    Excluded->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Excluded->hide();

    NodesGrid = named(new ResultsView(nodes_ = new NodesModel), "NodesGrid");
    SectionsGrid = named(new ResultsView(sections_ = new SectionsModel), "SectionsGrid");
    SubstationsGrid = named(new ResultsView(substations_ = new SubstationsModel), "SubstationsGrid");
    ShortCircuitGrid = named(new ResultsView(shortCircuits_ = new ShortCircuitModel), "ShortCircuitGrid");
    ProblemsGrid = named(new ResultsView(problems_ = new ProblemsModel), "ProblemsGrid");
    LinesGrid = named(new ResultsView(lines_ = new LinesModel), "LinesGrid");
    Tabs = named(new QTabWidget, "Tabs");
    Tabs->addTab(NodesGrid, "Узлы");
    Tabs->addTab(SectionsGrid, "Участки");
    Tabs->addTab(SubstationsGrid, "ТП");
    Tabs->addTab(ShortCircuitGrid, "Токи КЗ");
    Tabs->addTab(LinesGrid, "Линии");
    Tabs->addTab(ProblemsGrid, "Замечания");
    Tabs->addTab(buildProfileTab(), "Профиль");
    Comparison = new SchemeComparisonView;
    Tabs->addTab(Comparison, "Сравнение схем");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(Summary);
    layout->addWidget(Note);
    layout->addWidget(Excluded);
    layout->addWidget(Tabs, 1);

    connect(Scheme_Box, &QComboBox::currentIndexChanged, this, &TF_Results::scheduleCalculation);
    connect(Regime_Box, &QComboBox::currentIndexChanged, this, &TF_Results::showRegime);
    connect(Line_Box, &QComboBox::currentIndexChanged, this, [this] {
        chosenBranch_.clear(); // another line: its worst path
        profileDrawn_ = false;
        showProfile();
    });
    connect(Branch_Box, &QComboBox::currentIndexChanged, this, [this] {
        chosenBranch_ = Branch_Box->currentIndex() > 0 ? Branch_Box->currentText() : QString();
        profileDrawn_ = false;
        showProfile();
    });
    connect(Tabs, &QTabWidget::currentChanged, this, &TF_Results::showProfile);
    connect(ProblemsGrid, &ResultsView::placeChosen, this, &TF_Results::selectRequested);
    // A double-click in the comparison opens that scheme on its nodes.
    connect(Comparison, &SchemeComparisonView::schemeChosen, this, [this](int mode) {
        Scheme_Box->setCurrentIndex(mode);
        Tabs->setCurrentIndex(0);
    });
    connect(SaveReport, &QPushButton::clicked, this, &TF_Results::SaveReportClick);
    connect(PrintReport, &QPushButton::clicked, this, &TF_Results::PrintReportClick);
}

QWidget* TF_Results::buildProfileTab() {
    auto* tab = ProfileTab = named(new QWidget, "ProfileTab");
    Line_Box = named(new QComboBox, "Line_Box");
    Line_Box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ProfileChart = named(new VoltageProfileChart, "ProfileChart");
    auto* choice = new QHBoxLayout;
    choice->addWidget(captionFor("Линия", Line_Box));
    choice->addWidget(Line_Box);
    Branch_Box = named(new QComboBox, "Branch_Box");
    Branch_Box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    choice->addWidget(captionFor("Ветвь", Branch_Box));
    choice->addWidget(Branch_Box);
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

const SchemeResult& TF_Results::result() const {
    return shown_->scheme();
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
    fillSchemeBox(*Scheme_Box, source_ != 0 ? &data_->project().Sources[source_] : nullptr, keepChoice);
}

void TF_Results::calculate() {
    const int source = data_->selectedSource();
    const bool sameSource = source == source_;
    source_ = source > 0 && source <= data_->project().SourceCount() ? source : 0;
    fillSchemes(sameSource);
    if (source_ == 0) {
        setWindowTitle("Результаты расчёта");
        showResult(std::make_shared<const SchemeResult>(), data_->coefficients().builtIn);
        Summary->setText("Нет источника питания для расчёта.");
        return;
    }
    setWindowTitle("Результаты расчёта — " + fromCp1251(data_->project().Sources[source_].Name.view()));
    settings_ = data_->settings();
    runner_->start(*data_, source_, std::max(0, Scheme_Box->currentIndex()));
    if (runner_->busy())
        busy_->start();
}

void TF_Results::showBusy() {
    Summary->setText("Идёт расчёт…");
    Tabs->setEnabled(false);
    SaveReport->setEnabled(false);
    PrintReport->setEnabled(false);
}

void TF_Results::showResult(std::shared_ptr<const SchemeResult> scheme, bool builtInCoefficients) {
    busy_->stop();
    shown_ = std::make_shared<const ResultRows>(std::move(scheme));
    builtInCoefficients_ = builtInCoefficients;
    Tabs->setEnabled(true);
    SaveReport->setEnabled(source_ != 0);
    PrintReport->setEnabled(source_ != 0);
    Note->setText(settingsLine(settings_, builtInCoefficients_) + ".\n" + notCalculatedLine());
    for (ResultTableModel* model : std::initializer_list<ResultTableModel*>{nodes_, sections_, substations_,
                                                                             shortCircuits_, problems_, lines_})
        model->setResult(shown_, regime());
    // The columns fit the texts of a new source, and of its first calculated rows; another scheme of the
    // same source or a recalculation keeps the widths (and whatever the user made of them).
    const std::pair fitted{result().source, result().calculated};
    if (fitted != fittedFor_) {
        fittedFor_ = fitted;
        for (ResultsView* view : {NodesGrid, SectionsGrid, SubstationsGrid, ShortCircuitGrid, ProblemsGrid, LinesGrid})
            view->fitColumns();
    }
    {
        QSignalBlocker blocker(Line_Box);
        const QString chosen = Line_Box->currentText();
        Line_Box->clear();
        Line_Box->addItems(profileLines(result()));
        Line_Box->setCurrentIndex(std::max(0, Line_Box->findText(chosen)));
    }
    showSummary();
    Excluded->setText(excludedLine(result()));
    Excluded->setVisible(!Excluded->text().isEmpty());
    // A scheme refused by its checks has nothing to show but why.
    if (source_ != 0 && !result().calculated)
        Tabs->setCurrentWidget(ProblemsGrid);
    profileDrawn_ = false;
    showProfile();
    emit resultsReady();
}

void TF_Results::showSummary() {
    Summary->setText(summaryLine(result(), regime()));
    // Over its limit, the worst voltage loss or the most loaded section colours the summary as it colours
    // the cells of the tables, and the tooltip says which.
    QStringList over;
    if (shown_ && shown_->anyWarning(k10::calc::ProblemCode::R2, regime()))
        over << "наибольшая потеря напряжения больше допустимой";
    if (shown_ && shown_->anyWarning(k10::calc::ProblemCode::R1, regime()))
        over << "загрузка участка больше допустимой";
    Summary->setAutoFillBackground(!over.isEmpty());
    QPalette palette = Summary->palette();
    palette.setColor(QPalette::Window, over.isEmpty() ? this->palette().color(QPalette::Window) : overLimitColour());
    Summary->setPalette(palette);
    Summary->setToolTip(over.isEmpty() ? QString() : over.join("; ").left(1).toUpper() + over.join("; ").mid(1));
}

void TF_Results::showRegime() {
    for (ResultTableModel* model : std::initializer_list<ResultTableModel*>{nodes_, sections_, substations_, lines_})
        model->setRegime(regime());
    showSummary();
    profileDrawn_ = false;
    showProfile();
}

void TF_Results::showProfile() {
    if (Tabs->currentWidget() != ProfileTab || profileDrawn_)
        return;
    // The path to the line's worst node unless the user chose another end.
    std::vector<ProfileCurve> curves = voltageProfile(result(), regime(), Line_Box->currentText());
    QSignalBlocker blocker(Branch_Box);
    Branch_Box->clear();
    for (const ProfileCurve& curve : curves)
        Branch_Box->addItem("до " + curve.endNode);
    const int chosen = chosenBranch_.isEmpty() ? 0 : std::max(0, int(Branch_Box->findText(chosenBranch_)));
    Branch_Box->setCurrentIndex(curves.empty() ? -1 : chosen);
    if (!curves.empty())
        curves = {curves[std::size_t(chosen)]};
    ProfileChart->showProfile(curves, settings_.maxLossPercent);
    profileDrawn_ = true;
}

ReportRequest TF_Results::reportRequest(ReportExtent extent) const {
    ReportRequest request;
    request.data = data_;
    request.source = source_;
    request.mode = std::max(0, Scheme_Box->currentIndex());
    request.extent = extent;
    request.regime = regime();
    request.profileLine = Line_Box->currentText();
    request.schemePicture = schemePicture_;
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
