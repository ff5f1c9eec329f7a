#pragma once

#include "calc/calculation.h"
#include "schematic/schematic.h"
#include "ui/calculation/results_report.h"

#include <QFont>
#include <QGraphicsScene>

#include <vector>

class CalculationData;
class NodeItem;
class SectionItem;
class LineItem;
class JumperItem;
class QPainter;
class QPrinter;

// The font of the drawing and the text widths its layout uses.
QFont schematicFont();
k10::schematic::TextMetrics schematicMetrics();

// The one-line diagram as graphics items: one item per node (its square and its texts), per section (its
// run and its caption), per line (its stub from the busbars and its caption), the busbars and the jumper.
// The items paint their texts only where they are large enough to read.
class SchematicScene : public QGraphicsScene {
    Q_OBJECT

public:
    enum class Shown { Voltages, ShortCircuits };

    explicit SchematicScene(QObject* parent = nullptr);
    ~SchematicScene() override;

    // Replaces the drawing; the results shown before are gone.
    void showDrawing(k10::schematic::Schematic drawing);
    // Writes the results of the scheme on the drawing (each node's U and ΔU, or its short-circuit currents;
    // each section's loading as its colour); a scheme not calculated shows none.
    void showResults(const k10::calc::SchemeResult& result, k10::calc::Regime regime, Shown shown);
    void clearResults();
    // Marks a section (index into drawing().sections) as the main window's current one; -1 for none.
    void highlightSection(int section);
    int highlightedSection() const { return highlighted_; }

    const k10::schematic::Schematic& drawing() const { return drawing_; }
    // The drawn node or section under a point of the scene; -1 where none.
    struct Hit {
        int node = -1;
        int section = -1;
    };
    Hit hitAt(const QPointF& point) const;
    // Where a section's run is easiest to click: the middle of its last run.
    QPointF sectionPoint(int section) const;
    // The drawing's extent with a margin.
    QRectF drawingRect() const;
    // A section's colour by its loading: green up to 80 %, orange up to 100 %, red over.
    static QColor loadingColour(double loadingPercent);

private:
    k10::schematic::Schematic drawing_;
    std::vector<NodeItem*> nodes_;
    std::vector<SectionItem*> sections_;
    std::vector<LineItem*> lines_;
    JumperItem* jumper_ = nullptr;
    int highlighted_ = -1;
};

// The drawing saved as SVG, PDF or PNG by the file's suffix; throws k10::Error when the file cannot be
// written.
void saveSchematic(SchematicScene& scene, const QString& path, const QString& title);

// Printing: the whole drawing scaled to one page, or at its natural size over as many pages as it takes,
// each page marked with its place («Лист 2 из 6: ряд 1, столбец 2»). Returns the number of pages.
int printSchematic(SchematicScene& scene, QPrinter& printer, bool onePage, const QString& title);

// The drawing of a scheme of the data with the results of a regime (none where the scheme is not
// calculated) as a picture for the report: at most `width` pixels wide and, so that it stays on one
// page however large the source, at most 1.4 times as high; drawn at twice its size for print, never
// larger than on the screen at its natural size. Empty for a source without lines.
results::SchemeDrawing schematicPicture(const CalculationData& data, const k10::calc::SchemeResult& scheme,
                                        k10::calc::Regime regime, int width);
