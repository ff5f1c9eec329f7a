#include "ui/schematic/tf_schematic.h"

#include "schematic/schematic.h"
#include "ui/calculation/result_tables.h"
#include "ui/calculation_service/calculation_runner.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/desktop/interaction.h"
#include "ui/schematic/schematic_scene.h"
#include "ui/widgets/dialog_buttons.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <exception>

using k10::calc::Regime;
using k10::calc::SchemeResult;

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

constexpr double kMinZoom = 0.02, kMaxZoom = 8;

} // namespace

SchematicView::SchematicView(QWidget* parent) : QGraphicsView(parent) {
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
}

double SchematicView::zoom() const {
    return transform().m11();
}

void SchematicView::zoomBy(double factor) {
    const double target = std::clamp(zoom() * factor, kMinZoom, kMaxZoom);
    scale(target / zoom(), target / zoom());
}

void SchematicView::fit() {
    if (scene())
        fitInView(scene()->sceneRect(), Qt::KeepAspectRatio);
    if (zoom() > 1.5)
        zoomBy(1.5 / zoom());
}

void SchematicView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y();
    if (steps == 0)
        return QGraphicsView::wheelEvent(event);
    zoomBy(std::pow(1.15, steps / 120.0));
    event->accept();
}

void SchematicView::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->position().toPoint();
    QGraphicsView::mousePressEvent(event);
}

void SchematicView::mouseReleaseEvent(QMouseEvent* event) {
    QGraphicsView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && (event->position().toPoint() - pressed_).manhattanLength() < 4)
        emit clicked(mapToScene(event->position().toPoint()));
}

TF_SchematicPrint::TF_SchematicPrint(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_SchematicPrint");
    setWindowTitle("Печать схемы");
    Page_Box = named(new QComboBox, "Page_Box");
    Page_Box->addItems({"A4", "A3"});
    Orientation_Box = named(new QComboBox, "Orientation_Box");
    Orientation_Box->addItems({"Книжная", "Альбомная"});
    Orientation_Box->setCurrentIndex(1);
    Pages_Box = named(new QComboBox, "Pages_Box");
    Pages_Box->addItems({"Уместить на одном листе", "Разбить на листы"});
    auto* form = new QFormLayout;
    form->addRow(captionFor("Лист", Page_Box), Page_Box);
    form->addRow(captionFor("Ориентация", Orientation_Box), Orientation_Box);
    form->addRow(captionFor("Масштаб", Pages_Box), Pages_Box);
    QPushButton *ok, *cancel;
    QDialogButtonBox* buttons = okCancelButtons(this, ok, cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

TF_Schematic::TF_Schematic(Interaction& user, QWidget* parent) : QWidget(parent, Qt::Window), user_(user) {
    setObjectName("TF_Schematic");
    setWindowTitle("Схема сети");
    runner_ = new CalculationRunner(this);
    pending_ = named(new QTimer(this), "PendingDrawing");
    pending_->setSingleShot(true);
    pending_->setInterval(0);
    connect(pending_, &QTimer::timeout, this, &TF_Schematic::draw);
    connect(runner_, &CalculationRunner::finished, this, &TF_Schematic::showResult);
    scene_ = new SchematicScene(this);
    buildControls();
    resize(1000, 680);
}

TF_Schematic::~TF_Schematic() = default;

void TF_Schematic::buildControls() {
    Scheme_Box = named(new QComboBox, "Scheme_Box");
    Scheme_Box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Scheme_Box->setMinimumContentsLength(18);
    Regime_Box = named(new QComboBox, "Regime_Box");
    Regime_Box->addItems({results::regimeCaption(Regime::Day), results::regimeCaption(Regime::Evening)});
    ShortCircuits = named(new QCheckBox("Токи КЗ"), "ShortCircuits");
    FitButton = named(new QPushButton("По размеру окна"), "FitButton");
    SaveButton = named(new QPushButton("Сохранить схему…"), "SaveButton");
    PrintButton = named(new QPushButton("Печать…"), "PrintButton");
    auto* choices = new QHBoxLayout;
    choices->addWidget(captionFor("Схема", Scheme_Box));
    choices->addWidget(Scheme_Box);
    choices->addSpacing(12);
    choices->addWidget(captionFor("Режим нагрузки", Regime_Box));
    choices->addWidget(Regime_Box);
    choices->addSpacing(12);
    choices->addWidget(ShortCircuits);
    choices->addStretch();
    choices->addWidget(FitButton);
    choices->addWidget(SaveButton);
    choices->addWidget(PrintButton);
    Summary = named(new QLabel, "Summary");
    Summary->setWordWrap(true);
    Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Legend = named(new QLabel, "Legend");
    Legend->setText(QString("Загрузка участков: <span style='color:%1'>■ до 80 %</span>  "
                            "<span style='color:%2'>■ 80–100 %</span>  <span style='color:%3'>■ больше 100 %</span>; "
                            "Iк3, Iк2 — в максимальном / минимальном режиме системы")
                        .arg(SchematicScene::loadingColour(0).name(), SchematicScene::loadingColour(90).name(),
                             SchematicScene::loadingColour(120).name()));
    View = named(new SchematicView, "View");
    View->setScene(scene_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(Summary);
    layout->addWidget(View, 1);
    layout->addWidget(Legend);

    SaveDialog = named(new QFileDialog(this), "SaveSchematicDialog");
    SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setNameFilters({"Рисунок SVG (*.svg)", "Документ PDF (*.pdf)", "Изображение PNG (*.png)"});
    SaveDialog->setDefaultSuffix("svg");
    connect(SaveDialog, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        SaveDialog->setDefaultSuffix(filter.contains("pdf") ? "pdf" : filter.contains("png") ? "png" : "svg");
    });
    PrintDialog = new TF_SchematicPrint(this);

    connect(Scheme_Box, &QComboBox::currentIndexChanged, this, &TF_Schematic::scheduleDrawing);
    connect(Regime_Box, &QComboBox::currentIndexChanged, this, &TF_Schematic::showRegime);
    connect(ShortCircuits, &QCheckBox::toggled, this, &TF_Schematic::showRegime);
    connect(FitButton, &QPushButton::clicked, View, &SchematicView::fit);
    connect(SaveButton, &QPushButton::clicked, this, &TF_Schematic::SaveClick);
    connect(PrintButton, &QPushButton::clicked, this, &TF_Schematic::PrintClick);
    connect(View, &SchematicView::clicked, this, &TF_Schematic::clickedAt);
    for (QKeySequence keys : {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { View->zoomBy(1.25); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this, [this] { View->zoomBy(0.8); });
}

void TF_Schematic::setData(CalculationData* data) {
    if (data_)
        data_->disconnect(this);
    data_ = data;
    connect(data_, &CalculationData::changed, this, &TF_Schematic::scheduleDrawing);
    connect(data_, &CalculationData::selectedSourceChanged, this, &TF_Schematic::scheduleDrawing);
    scheduleDrawing();
}

bool TF_Schematic::calculating() const {
    return pending_->isActive() || runner_->busy();
}

void TF_Schematic::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    scheduleDrawing();
}

void TF_Schematic::scheduleDrawing() {
    // A hidden window draws when it is shown again.
    if (isVisible() && data_)
        pending_->start();
}

void TF_Schematic::fillSchemes(bool keepChoice) {
    results::fillSchemeBox(*Scheme_Box, source_ != 0 ? &data_->project().Sources[source_] : nullptr, keepChoice);
}

QString TF_Schematic::title() const {
    if (source_ == 0)
        return "Схема сети";
    return "Схема сети — " + fromCp1251(data_->project().Sources[source_].Name.view()) + ", " +
           Scheme_Box->currentText();
}

void TF_Schematic::draw() {
    const int source = data_->selectedSource();
    const bool sameSource = source == source_;
    source_ = source > 0 && source <= data_->project().SourceCount() ? source : 0;
    fillSchemes(sameSource);
    const int mode = std::max(0, Scheme_Box->currentIndex());
    fitPending_ = fitPending_ || !sameSource || mode != mode_;
    mode_ = mode;
    result_ = SchemeResult{};
    ++drawings_;
    setWindowTitle(title());
    if (source_ == 0) {
        scene_->showDrawing({});
        Summary->setText("Нет источника питания.");
        return;
    }
    scene_->showDrawing(k10::schematic::drawSource(data_->project(), source_, mode, data_->inputs(), schematicMetrics()));
    highlightCurrent();
    if (fitPending_) {
        View->fit();
        fitPending_ = false;
    }
    runner_->start(*data_, source_, mode);
    if (runner_->busy())
        Summary->setText("Идёт расчёт…");
}

void TF_Schematic::showResult(std::shared_ptr<const SchemeResult> result, bool) {
    result_ = *result;
    showRegime();
}

void TF_Schematic::showRegime() {
    const Regime regime = Regime(std::max(0, Regime_Box->currentIndex()));
    if (source_ == 0)
        return;
    Summary->setText(results::summaryLine(result_, regime));
    scene_->showResults(result_, regime,
                        ShortCircuits->isChecked() ? SchematicScene::Shown::ShortCircuits : SchematicScene::Shown::Voltages);
}

void TF_Schematic::showCurrentPlace(int source, int line, int section) {
    current_ = {source, line, section};
    highlightCurrent();
}

void TF_Schematic::highlightCurrent() {
    const k10::schematic::Schematic& d = scene_->drawing();
    int drawn = -1;
    if (current_.source == source_ && source_ > 0)
        drawn = d.findSection(d.findLine(current_.line), current_.section);
    scene_->highlightSection(drawn);
}

void TF_Schematic::clickedAt(const QPointF& point) {
    const SchematicScene::Hit hit = scene_->hitAt(point);
    const k10::schematic::Schematic& d = scene_->drawing();
    int line = -1, section = 0;
    if (hit.section >= 0) {
        line = d.sections[std::size_t(hit.section)].line;
        section = d.sections[std::size_t(hit.section)].section;
    } else if (hit.node >= 0) {
        line = d.nodes[std::size_t(hit.node)].line;
        section = d.nodes[std::size_t(hit.node)].section;
    }
    if (line < 0)
        return;
    const k10::schematic::DrawnLine& l = d.lines[std::size_t(line)];
    emit selectRequested({l.source, l.index, section, 0});
}

void TF_Schematic::SaveClick() {
    const QString path = user_.chooseFile(*SaveDialog);
    if (path.isEmpty())
        return;
    try {
        saveSchematic(*scene_, path, title());
    } catch (const std::exception& error) {
        user_.showError(this, QString::fromUtf8(error.what()));
    }
}

void TF_Schematic::PrintClick() {
    if (!user_.runDialog(*PrintDialog))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(PrintDialog->Page_Box->currentIndex() == 1 ? QPageSize(QPageSize::A3) : QPageSize(QPageSize::A4));
    printer.setPageOrientation(PrintDialog->Orientation_Box->currentIndex() == 1 ? QPageLayout::Landscape
                                                                                  : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    if (!user_.choosePrinter(this, printer))
        return;
    printSchematic(*scene_, printer, PrintDialog->Pages_Box->currentIndex() == 0, title());
}
