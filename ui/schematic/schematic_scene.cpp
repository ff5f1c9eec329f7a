#include "ui/schematic/schematic_scene.h"

#include "ui/calculation/result_tables.h"
#include "ui/calculation/results_grid.h"

#include "calc/result_format.h"
#include "ui/calculation_service/calculation_data.h"
#include "text/errors.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPdfWriter>
#include <QPrinter>
#include <QStyleOptionGraphicsItem>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace k10::schematic;
using k10::calc::Regime;
using k10::calc::SchemeResult;

namespace {

constexpr int kFontPixels = 11;
// Below this height on the screen a text is not drawn: it could not be read.
constexpr double kReadablePixels = 6;
constexpr double kMargin = 24;

const QColor kInk(0x20, 0x20, 0x20);
const QColor kGrey(0xa8, 0xa8, 0xa8);
const QColor kJumper(0x00, 0x5a, 0xc8);
const QColor kHighlight(0xff, 0xd8, 0x00);
const QColor kLeftOut(0xc0, 0x40, 0x40);

QString text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QRectF rect(const Rect& r) {
    return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom));
}

QPointF point(const Point& p) {
    return {p.x, p.y};
}

double lineHeight() {
    static const double height = QFontMetricsF(schematicFont()).height() + 1;
    return height;
}

bool readable(const QStyleOptionGraphicsItem* option, QPainter* painter) {
    return option->levelOfDetailFromTransform(painter->worldTransform()) * kFontPixels >= kReadablePixels;
}

// A text with the results window's colour behind it when its value is over its limit; `ground` gives it a
// white ground otherwise, so that the jumper drawn across it leaves it readable.
void drawText(QPainter* painter, const QRectF& box, const QString& value, bool over, int flags = Qt::AlignLeft,
              bool ground = false) {
    if (value.isEmpty())
        return;
    if (over || ground) {
        QFontMetricsF metrics(painter->font());
        QRectF back = box;
        back.setWidth(std::min(box.width(), metrics.horizontalAdvance(value) + 2));
        if (flags & Qt::AlignHCenter)
            back.moveCenter(box.center());
        painter->fillRect(back, over ? ResultsGrid::overLimitColour() : QColor(Qt::white));
    }
    painter->drawText(box, flags | Qt::AlignVCenter, value);
}

// A small mark on a run where the network is opened: a gap with the switch's blade dropped below the run,
// where no text lies next to the run's end.
void drawOpening(QPainter* painter, QPointF at) {
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::white);
    painter->drawRect(QRectF(at.x() - 5, at.y() - 2.5, 10, 5));
    painter->setPen(QPen(Qt::red, 1.6));
    painter->drawLine(QPointF(at.x() - 5, at.y()), QPointF(at.x() + 4, at.y() + 7));
    painter->drawLine(QPointF(at.x() - 5, at.y() - 3), QPointF(at.x() - 5, at.y() + 3));
    painter->drawLine(QPointF(at.x() + 5, at.y() - 3), QPointF(at.x() + 5, at.y() + 3));
    painter->restore();
}

} // namespace

QFont schematicFont() {
    QFont font("DejaVu Sans");
    font.setPixelSize(kFontPixels);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

TextMetrics schematicMetrics() {
    TextMetrics metrics;
    auto fm = std::make_shared<QFontMetricsF>(schematicFont());
    auto cache = std::make_shared<QHash<QByteArray, double>>();
    metrics.width = [fm, cache](std::string_view utf8) {
        QByteArray bytes(utf8.data(), qsizetype(utf8.size()));
        auto found = cache->constFind(bytes);
        if (found != cache->constEnd())
            return *found;
        double w = std::ceil(fm->horizontalAdvance(QString::fromUtf8(bytes)));
        cache->insert(bytes, w);
        return w;
    };
    metrics.lineHeight = lineHeight();
    double widest = 0;
    for (const char* sample : {"U 10,000 кВ", "ΔU -10,00 %", "Iк3 10,000 / 10,000 кА", "Iк2 10,000 / 10,000 кА",
                               "отключён"})
        widest = std::max(widest, fm->horizontalAdvance(QString::fromUtf8(sample)));
    metrics.resultWidth = std::ceil(widest);
    return metrics;
}

// A node: its square, and under the line to its right its name, its results and its substation.
class NodeItem : public QGraphicsItem {
public:
    NodeItem(const DrawnNode& node, int index, bool leftOut) : node_(node), index_(index), leftOut_(leftOut) {
        name_ = text(node.name);
        if (!node.transformer.empty())
            transformer_ = text(node.load.empty() ? node.transformer : node.transformer + ", " + node.load);
        bounds_ = rect(node.box).united(rect(node.stack));
        setToolTip(name_);
    }

    QRectF boundingRect() const override { return bounds_; }
    QPainterPath shape() const override {
        QPainterPath path;
        path.addRect(rect(node_.box).adjusted(-3, -3, 3, 3));
        path.addRect(rect(node_.stack));
        return path;
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override {
        const bool grey = node_.deEnergised;
        painter->setPen(QPen(grey ? kGrey : leftOut_ ? kLeftOut : kInk, 1.2));
        painter->setBrush(node_.parent < 0 ? QBrush(grey ? kGrey : kInk) : QBrush(Qt::white));
        const QRectF box = rect(node_.box);
        if (node_.parent < 0)
            painter->drawRect(box);
        else
            painter->drawEllipse(box);
        if (!readable(option, painter))
            return;
        painter->setFont(schematicFont());
        const double lh = lineHeight();
        QRectF row(node_.stack.left, node_.stack.top, node_.stack.right - node_.stack.left, lh);
        painter->setPen(grey ? kGrey : kInk);
        drawText(painter, row, name_, false, Qt::AlignLeft, true);
        for (int i = 0; i < kResultLines; ++i) {
            row.translate(0, lh);
            painter->setPen(grey ? kGrey : QColor(0x30, 0x30, 0x90));
            drawText(painter, row, result[i], over[i], Qt::AlignLeft, true);
        }
        if (!transformer_.isEmpty()) {
            row.translate(0, lh);
            painter->setPen(QPen(grey ? kGrey : kInk, 1));
            painter->setBrush(Qt::NoBrush);
            const double cy = row.center().y(), r = 3.6;
            painter->drawEllipse(QPointF(row.left() + r + 0.5, cy), r, r);
            painter->drawEllipse(QPointF(row.left() + 2 * r + 1.5, cy), r, r);
            drawText(painter, row.adjusted(kTransformerSymbol + 4, 0, 0, 0), transformer_, false, Qt::AlignLeft, true);
        }
    }

    int index() const { return index_; }
    QString result[kResultLines];
    bool over[kResultLines] = {false, false};

private:
    const DrawnNode& node_;
    int index_;
    bool leftOut_;
    QString name_, transformer_;
    QRectF bounds_;
};

// A section: its run between its nodes and its caption above the run's last part.
class SectionItem : public QGraphicsItem {
public:
    SectionItem(const DrawnSection& section, int index, bool grey, bool leftOut)
        : section_(section), index_(index), grey_(grey), leftOut_(leftOut) {
        for (std::size_t i = 0; i < section.path.size(); ++i)
            i == 0 ? path_.moveTo(point(section.path[i])) : path_.lineTo(point(section.path[i]));
        label_ = text(section.label);
        bounds_ = path_.boundingRect().united(rect(section.caption)).adjusted(-6, -8, 6, 6);
        setToolTip(label_);
    }

    QRectF boundingRect() const override { return bounds_; }
    // Made on the first click that asks for it: most sections are never asked.
    QPainterPath shape() const override {
        if (shape_.isEmpty()) {
            QPainterPathStroker stroker;
            stroker.setWidth(8);
            shape_ = stroker.createStroke(path_);
            shape_.addRect(rect(section_.caption));
        }
        return shape_;
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override {
        painter->setBrush(Qt::NoBrush);
        if (highlighted) {
            painter->setPen(QPen(kHighlight, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter->drawPath(path_);
        }
        if (leftOut_) {
            QPainterPathStroker stroker;
            stroker.setWidth(7);
            painter->fillPath(stroker.createStroke(path_), QBrush(kLeftOut, Qt::BDiagPattern));
        }
        QPen pen(grey_ ? kGrey : colour.isValid() ? colour : kInk, colour.isValid() ? 2.2 : 1.4);
        if (grey_)
            pen.setStyle(Qt::DashLine);
        painter->setPen(pen);
        painter->drawPath(path_);
        if (section_.opened) {
            const Point& end = section_.path.back();
            drawOpening(painter, QPointF(end.x - kNodeRadius - 8, end.y));
        }
        if (!readable(option, painter))
            return;
        painter->setFont(schematicFont());
        painter->setPen(grey_ ? kGrey : leftOut_ ? kLeftOut : kInk);
        drawText(painter, rect(section_.caption), label_, over, Qt::AlignHCenter);
    }

    QPointF runMiddle() const {
        const Point& a = section_.path[section_.path.size() - 2];
        const Point& b = section_.path.back();
        return {(a.x + b.x) / 2, (a.y + b.y) / 2};
    }

    int index() const { return index_; }
    bool highlighted = false;
    QColor colour; // by loading; invalid without results
    bool over = false;

private:
    const DrawnSection& section_;
    int index_;
    bool grey_, leftOut_;
    QPainterPath path_;
    mutable QPainterPath shape_;
    QString label_;
    QRectF bounds_;
};

// A line's stub from the busbars to its head, with the line's name; hatched when the line is left out,
// dashed from nowhere when it is another source's, broken when the mode opens it.
class LineItem : public QGraphicsItem {
public:
    LineItem(const DrawnLine& line, QPointF headAt) : line_(line), head_(headAt) {
        label_ = text(line.label);
        bounds_ = QRectF(QPointF(line.head.x, line.head.y - 8), QPointF(head_.x(), line.head.y + 8))
                      .united(rect(line.caption));
        setToolTip(label_);
    }
    QRectF boundingRect() const override { return bounds_; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override {
        const QPointF from = point(line_.head);
        const bool foreign = line_.state == LineState::Foreign, leftOut = line_.state == LineState::LeftOut;
        if (leftOut)
            painter->fillRect(QRectF(from.x(), from.y() - 3.5, head_.x() - from.x(), 7),
                              QBrush(kLeftOut, Qt::BDiagPattern));
        painter->setPen(QPen(foreign ? kJumper : kInk, 1.6, foreign ? Qt::DashLine : Qt::SolidLine));
        painter->drawLine(foreign ? QPointF(from.x() + 20, from.y()) : from, head_);
        if (line_.opened)
            drawOpening(painter, QPointF((from.x() + head_.x()) / 2, from.y()));
        if (!readable(option, painter))
            return;
        painter->setFont(schematicFont());
        painter->setPen(leftOut ? kLeftOut : foreign ? kJumper : kInk);
        drawText(painter, rect(line_.caption).adjusted(0, 0, 40, 0), label_, false);
    }

private:
    const DrawnLine& line_;
    QPointF head_;
    QString label_;
    QRectF bounds_;
};

// The busbars with the source's name above them.
class BusbarItem : public QGraphicsItem {
public:
    BusbarItem(const Schematic& drawing) : drawing_(drawing) {
        name_ = text(drawing.sourceName);
        QFontMetricsF metrics(schematicFont());
        bounds_ = QRectF(drawing.busX - 4, drawing.busTop - lineHeight() - 6, metrics.horizontalAdvance(name_) + 8,
                         drawing.busBottom - drawing.busTop + lineHeight() + 6);
    }
    QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override {
        painter->setPen(QPen(kInk, 5, Qt::SolidLine, Qt::FlatCap));
        painter->drawLine(QPointF(drawing_.busX, drawing_.busTop), QPointF(drawing_.busX, drawing_.busBottom));
        if (!readable(option, painter))
            return;
        painter->setFont(schematicFont());
        painter->setPen(kInk);
        painter->drawText(QRectF(drawing_.busX - 2, drawing_.busTop - lineHeight() - 4, bounds_.width(), lineHeight()),
                          Qt::AlignLeft | Qt::AlignVCenter, name_);
    }

private:
    const Schematic& drawing_;
    QString name_;
    QRectF bounds_;
};

class JumperItem : public QGraphicsItem {
public:
    explicit JumperItem(const DrawnJumper& jumper) : jumper_(jumper) {
        label_ = text(jumper.label);
        bounds_ = QRectF(point(jumper.path.front()), point(jumper.path.back())).normalized().united(rect(jumper.caption));
        bounds_.adjust(-3, -3, 3, 3);
        setToolTip(label_);
        // Above the runs, under the nodes' texts, which keep a white ground.
        setZValue(0.5);
    }
    QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override {
        painter->setPen(QPen(colour.isValid() ? colour : kJumper, 2, Qt::DashLine));
        painter->drawLine(point(jumper_.path.front()), point(jumper_.path.back()));
        if (!readable(option, painter))
            return;
        painter->setFont(schematicFont());
        painter->fillRect(rect(jumper_.caption), over ? ResultsGrid::overLimitColour() : QColor(Qt::white));
        painter->setPen(kJumper);
        painter->drawText(rect(jumper_.caption), Qt::AlignCenter, label_);
    }
    QColor colour;
    bool over = false;

private:
    const DrawnJumper& jumper_;
    QString label_;
    QRectF bounds_;
};

SchematicScene::SchematicScene(QObject* parent) : QGraphicsScene(parent) {
    setBackgroundBrush(Qt::white);
}

SchematicScene::~SchematicScene() = default;

void SchematicScene::showDrawing(Schematic drawing) {
    clear();
    nodes_.clear();
    sections_.clear();
    lines_.clear();
    jumper_ = nullptr;
    highlighted_ = -1;
    drawing_ = std::move(drawing);
    const Schematic& d = drawing_;
    // The items are added to an index built at once rather than item by item.
    setItemIndexMethod(NoIndex);
    addItem(new BusbarItem(d));
    for (const DrawnLine& line : d.lines) {
        QPointF head = line.nodeCount > 0 ? point(d.nodes[static_cast<std::size_t>(line.firstNode)].at)
                                          : QPointF(line.head.x + 40, line.head.y);
        auto* item = new LineItem(line, head - QPointF(kNodeRadius, 0));
        lines_.push_back(item);
        addItem(item);
    }
    sections_.reserve(d.sections.size());
    for (std::size_t i = 0; i < d.sections.size(); ++i) {
        const DrawnSection& s = d.sections[i];
        const DrawnLine& line = d.lines[static_cast<std::size_t>(s.line)];
        auto* item = new SectionItem(s, int(i), d.nodes[static_cast<std::size_t>(s.to)].deEnergised,
                                     line.state == LineState::LeftOut);
        sections_.push_back(item);
        addItem(item);
    }
    nodes_.reserve(d.nodes.size());
    for (std::size_t i = 0; i < d.nodes.size(); ++i) {
        const DrawnNode& n = d.nodes[i];
        auto* item = new NodeItem(n, int(i), d.lines[static_cast<std::size_t>(n.line)].state == LineState::LeftOut);
        item->setZValue(1);
        nodes_.push_back(item);
        addItem(item);
    }
    if (d.hasJumper) {
        jumper_ = new JumperItem(d.jumper);
        addItem(jumper_);
    }
    setItemIndexMethod(BspTreeIndex);
    setSceneRect(drawingRect());
}

QRectF SchematicScene::drawingRect() const {
    QRectF r = rect(drawing_.bounds);
    r.setTop(std::min(r.top(), drawing_.busTop - lineHeight() - 6));
    return r.adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

void SchematicScene::clearResults() {
    for (NodeItem* item : nodes_) {
        for (int i = 0; i < kResultLines; ++i) {
            item->result[i].clear();
            item->over[i] = false;
        }
    }
    for (SectionItem* item : sections_) {
        item->colour = QColor();
        item->over = false;
        item->setToolTip(text(drawing_.sections[static_cast<std::size_t>(item->index())].label));
    }
    if (jumper_) {
        jumper_->colour = QColor();
        jumper_->over = false;
    }
    update();
}

void SchematicScene::showResults(const SchemeResult& result, Regime regime, Shown shown) {
    clearResults();
    if (!result.calculated)
        return;
    // Nodes: the texts of the results window's tables, with their marks over the limits.
    const results::Table nodes = results::nodesTable(result, regime);
    for (std::size_t i = 0; i < result.nodes.size(); ++i) {
        int d = drawing_.findNode(result.nodes[i].line, result.nodes[i].node);
        if (d < 0)
            continue;
        NodeItem& item = *nodes_[static_cast<std::size_t>(d)];
        if (shown == Shown::Voltages) {
            const auto& row = nodes.rows[i];
            item.result[0] = "U " + row[2].text + " кВ";
            item.over[0] = !row[2].problem.isEmpty();
            item.result[1] = "ΔU " + row[3].text + " %";
            item.over[1] = !row[3].problem.isEmpty();
        } else if (i < result.shortCircuit.nodes.size()) {
            const k10::calc::Currents& c = result.shortCircuit.nodes[i].currents;
            auto ka = [](double v) {
                return QString::fromStdString(k10::calc::formatNumber(v, k10::calc::Quantity::ShortCircuitKa));
            };
            item.result[0] = "Iк3 " + ka(c.ik3MaxKa) + " / " + ka(c.ik3MinKa) + " кА";
            item.result[1] = "Iк2 " + ka(c.ik2MaxKa) + " / " + ka(c.ik2MinKa) + " кА";
        }
    }
    for (const k10::calc::NodeRef& off : result.deEnergised) {
        int d = drawing_.findNode(off.line, off.node);
        if (d >= 0)
            nodes_[static_cast<std::size_t>(d)]->result[0] = "отключён";
    }
    // Sections: coloured by loading.
    QHash<QString, int> lineOf;
    for (std::size_t l = drawing_.lines.size(); l-- > 0;)
        lineOf.insert(text(drawing_.lines[l].name), int(l));
    const results::Table sections = results::sectionsTable(result, regime);
    for (std::size_t i = 0; i < result.sections.size(); ++i) {
        const k10::calc::SectionResult& s = result.sections[i];
        const auto& row = sections.rows[i];
        const double loading = result.regimes[int(regime)].sections[i].loadingPercent;
        const QColor colour = loadingColour(loading);
        const bool over = !row[7].problem.isEmpty();
        const QString tip = QString("Загрузка %1 %, I = %2 А").arg(row[7].text, row[6].text);
        if (s.jumper) {
            if (jumper_) {
                jumper_->colour = colour;
                jumper_->over = over;
                jumper_->setToolTip(text(drawing_.jumper.label) + "\n" + tip);
            }
            continue;
        }
        int d = drawing_.findSection(lineOf.value(QString::fromUtf8(s.line.data(), qsizetype(s.line.size())), -1),
                                     s.section);
        if (d < 0)
            continue;
        SectionItem& item = *sections_[static_cast<std::size_t>(d)];
        item.colour = colour;
        item.over = over;
        item.setToolTip(text(drawing_.sections[static_cast<std::size_t>(d)].label) + "\n" + tip);
    }
    update();
}

QColor SchematicScene::loadingColour(double loadingPercent) {
    if (loadingPercent > 100)
        return QColor(0xd0, 0x00, 0x00);
    if (loadingPercent >= 80)
        return QColor(0xe0, 0x80, 0x00);
    return QColor(0x00, 0x80, 0x30);
}

void SchematicScene::highlightSection(int section) {
    if (highlighted_ >= 0 && static_cast<std::size_t>(highlighted_) < sections_.size()) {
        sections_[static_cast<std::size_t>(highlighted_)]->highlighted = false;
        sections_[static_cast<std::size_t>(highlighted_)]->update();
    }
    highlighted_ = section >= 0 && static_cast<std::size_t>(section) < sections_.size() ? section : -1;
    if (highlighted_ >= 0) {
        sections_[static_cast<std::size_t>(highlighted_)]->highlighted = true;
        sections_[static_cast<std::size_t>(highlighted_)]->update();
    }
}

SchematicScene::Hit SchematicScene::hitAt(const QPointF& at) const {
    // A node's square first, then a section's run or caption, then a node's texts.
    Hit hit;
    int texts = -1;
    for (QGraphicsItem* item : items(at, Qt::IntersectsItemShape, Qt::DescendingOrder)) {
        if (auto* node = dynamic_cast<NodeItem*>(item)) {
            if (rect(drawing_.nodes[std::size_t(node->index())].box).adjusted(-3, -3, 3, 3).contains(at)) {
                hit.node = node->index();
                return hit;
            }
            if (texts < 0)
                texts = node->index();
        } else if (auto* section = dynamic_cast<SectionItem*>(item); section && hit.section < 0) {
            hit.section = section->index();
        }
    }
    if (hit.section < 0)
        hit.node = texts;
    return hit;
}

QPointF SchematicScene::sectionPoint(int section) const {
    return sections_[static_cast<std::size_t>(section)]->runMiddle();
}

void saveSchematic(SchematicScene& scene, const QString& path, const QString& title) {
    const QRectF source = scene.drawingRect();
    const QString suffix = QFileInfo(path).suffix().toLower();
    bool written = false;
    if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setTitle(title);
        svg.setSize(source.size().toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), source.size()));
        QPainter painter;
        if (painter.begin(&svg)) {
            scene.render(&painter, QRectF(QPointF(0, 0), source.size()), source);
            written = painter.end();
        }
    } else if (suffix == "pdf") {
        QPdfWriter pdf(path);
        pdf.setTitle(title);
        pdf.setResolution(96);
        // One page the size of the drawing, with the scene's units as 1/96 inch.
        pdf.setPageSize(QPageSize(source.size() * 72.0 / 96.0, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (painter.begin(&pdf)) {
            scene.render(&painter, QRectF(QPointF(0, 0), source.size()), source);
            written = painter.end();
        }
    } else {
        // Large drawings are scaled down to at most 16 000 pixels a side.
        const double scale = std::min(2.0, 16000.0 / std::max(source.width(), source.height()));
        QImage image((source.size() * scale).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            scene.render(&painter, QRectF(QPointF(0, 0), source.size() * scale), source);
        }
        written = image.save(path, "PNG");
    }
    if (!written)
        throw k10::Error(QString("Не удалось записать файл %1").arg(path).toStdString());
}

int printSchematic(SchematicScene& scene, QPrinter& printer, bool onePage, const QString& title) {
    printer.setDocName(title);
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QRectF source = scene.drawingRect();
    const QRectF page = printer.pageRect(QPrinter::DevicePixel).translated(
        -printer.pageRect(QPrinter::DevicePixel).topLeft());
    painter.setFont(schematicFont());
    // A band at the foot of each page for its mark.
    const double dpi = printer.resolution();
    const double band = dpi * 0.3;
    const QRectF area(page.left(), page.top(), page.width(), page.height() - band);
    QFont markFont = schematicFont();
    markFont.setPixelSize(std::max(8, int(dpi * 9 / 72)));
    if (onePage) {
        const double scale = std::min(area.width() / source.width(), area.height() / source.height());
        scene.render(&painter, QRectF(area.topLeft(), source.size() * scale), source);
        painter.setFont(markFont);
        painter.drawText(QRectF(area.left(), area.bottom(), area.width(), band), Qt::AlignLeft | Qt::AlignVCenter,
                         title);
        painter.end();
        return 1;
    }
    // The drawing at its size on the screen: one unit of the scene is 1/96 inch.
    const double scale = dpi / 96.0;
    const double tileW = area.width() / scale, tileH = area.height() / scale;
    const int columns = std::max(1, int(std::ceil(source.width() / tileW)));
    const int rows = std::max(1, int(std::ceil(source.height() / tileH)));
    const int pages = columns * rows;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int number = r * columns + c + 1;
            if (number > 1)
                printer.newPage();
            QRectF tile(source.left() + c * tileW, source.top() + r * tileH, tileW, tileH);
            tile = tile.intersected(source);
            scene.render(&painter, QRectF(area.topLeft(), tile.size() * scale), tile);
            painter.setFont(markFont);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(area.left(), area.bottom(), area.width(), band), Qt::AlignLeft | Qt::AlignVCenter,
                             QString("%1 — лист %2 из %3: ряд %4, столбец %5")
                                 .arg(title)
                                 .arg(number)
                                 .arg(pages)
                                 .arg(r + 1)
                                 .arg(c + 1));
        }
    painter.end();
    return pages;
}

results::SchemeDrawing schematicPicture(const CalculationData& data, const SchemeResult& scheme, Regime regime,
                                        int width) {
    SchematicScene scene;
    scene.showDrawing(drawSource(data.project(), scheme.source, scheme.mode, data.inputs(), schematicMetrics()));
    if (scene.drawing().lines.empty())
        return {};
    scene.showResults(scheme, regime, SchematicScene::Shown::Voltages);
    const QRectF source = scene.drawingRect();
    constexpr double kHighest = 1.4;   // an A4 page's height to its width
    constexpr double kLegible = 0.8;   // the smallest scale whose labels read comfortably
    constexpr double kPixelRatio = 2;
    constexpr double kGap = 12;
    // A drawing wider than the picture is cut into strips laid one under another, as large as one page
    // holds; a drawing too large even so is shrunk whole to the page.
    auto height = [&](double scale, int strips) { return strips * (source.height() * scale + kGap) - kGap; };
    auto stripsAt = [&](double scale) { return std::max(1, int(std::ceil(source.width() * scale / width))); };
    const double whole = std::min({1.0, width / source.width(), width * kHighest / source.height()});
    double scale = std::max(whole, std::min(1.0, kLegible));
    while (scale > whole && height(scale, stripsAt(scale)) > width * kHighest)
        scale = std::max(whole, scale * 0.9);
    const int strips = scale > whole ? stripsAt(scale) : 1;
    const double stripWidth = std::min(source.width(), width / scale); // in the scene's units
    const QSizeF size(std::min<double>(width, source.width() * scale), height(scale, strips));
    QImage image((size * kPixelRatio).toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDevicePixelRatio(kPixelRatio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (int i = 0; i < strips; ++i) {
            const QRectF part = QRectF(source.left() + i * stripWidth, source.top(), stripWidth, source.height())
                                    .intersected(source);
            const double top = i * (source.height() * scale + kGap);
            if (i > 0) {
                painter.setPen(QPen(kGrey, 0, Qt::DotLine));
                painter.drawLine(QPointF(0, top - kGap / 2), QPointF(size.width(), top - kGap / 2));
            }
            scene.render(&painter, QRectF(QPointF(0, top), part.size() * scale), part);
        }
    }
    return {image, scale * kFontPixels >= kReadablePixels};
}
