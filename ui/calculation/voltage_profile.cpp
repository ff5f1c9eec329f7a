#include "ui/calculation/voltage_profile.h"

#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QCursor>
#include <QToolTip>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>

#include <algorithm>
#include <string_view>
#include <unordered_set>

using k10::calc::NodeResult;
using k10::calc::Regime;
using k10::calc::SchemeResult;

namespace {

QString utf8(std::string_view name) {
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

} // namespace

QString profilePointText(const ProfilePoint& point) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    return QString("%1: %2 км; U = %3 кВ; ΔU = %4 %")
        .arg(point.node, russian.toString(point.km, 'f', 2), russian.toString(point.uKv, 'f', 3),
             russian.toString(point.lossPercent, 'f', 2));
}

QStringList profileLines(const SchemeResult& scheme) {
    QStringList lines;
    std::unordered_set<std::string_view> seen;
    for (const NodeResult& node : scheme.nodes)
        if (seen.insert(node.line).second)
            lines << utf8(node.line);
    return lines;
}

std::vector<ProfileCurve> voltageProfile(const SchemeResult& scheme, Regime regime, const QString& line) {
    const k10::calc::Rows<NodeResult>& nodes = scheme.nodes;
    const auto& voltages = scheme.regimes[int(regime)].nodes;
    // A node ends its line when it feeds no node of the same line.
    std::vector<bool> feeds(nodes.size(), false);
    for (const NodeResult& node : nodes)
        if (node.parent >= 0 && std::size_t(node.parent) < nodes.size() &&
            nodes[std::size_t(node.parent)].line == node.line)
            feeds[std::size_t(node.parent)] = true;

    std::vector<ProfileCurve> curves;
    if (voltages.size() != nodes.size())
        return curves;
    for (std::size_t end = 0; end < nodes.size(); ++end) {
        if (feeds[end] || utf8(nodes[end].line) != line)
            continue;
        ProfileCurve curve{utf8(nodes[end].node), {}};
        // The parents lead to the head; a step count bounds the walk should the links ever form a loop.
        for (int at = int(end), steps = 0;
             at >= 0 && std::size_t(at) < nodes.size() && steps <= int(nodes.size());
             at = nodes[std::size_t(at)].parent, ++steps) {
            const NodeResult& node = nodes[std::size_t(at)];
            curve.points.push_back({node.distanceKm, voltages[std::size_t(at)].lossPercent, utf8(node.node),
                                    voltages[std::size_t(at)].uKv});
        }
        std::reverse(curve.points.begin(), curve.points.end());
        if (curve.points.size() > 1) // a head alone is no path
            curves.push_back(std::move(curve));
    }
    std::stable_sort(curves.begin(), curves.end(), [](const ProfileCurve& a, const ProfileCurve& b) {
        return a.points.back().lossPercent > b.points.back().lossPercent;
    });
    return curves;
}

VoltageProfileChart::VoltageProfileChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignRight);
    chart()->setLocalizeNumbers(true); // the Russian decimal comma on the axes
    chart()->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    setMinimumHeight(200);
    connect(chart(), &QChart::plotAreaChanged, this, [this] { placeLabels(); });
}

void VoltageProfileChart::showProfile(const std::vector<ProfileCurve>& curves, double maxLossPercent) {
    QChart* chart = this->chart();
    for (QGraphicsSimpleTextItem* label : labels_)
        delete label;
    labels_.clear();
    curves_ = curves;
    chart->removeAllSeries(); // deletes them
    // A removed axis is no longer the chart's: it is deleted here, or every redraw would leave it behind.
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }

    double length = 0, highest = maxLossPercent;
    for (const ProfileCurve& curve : curves) {
        auto* series = new QLineSeries(chart);
        series->setName("до " + curve.endNode);
        series->setPointsVisible(true);
        for (const ProfilePoint& point : curve.points) {
            series->append(point.km, point.lossPercent);
            length = std::max(length, point.km);
            highest = std::max(highest, point.lossPercent);
        }
        const std::size_t index = std::size_t(&curve - curves.data());
        connect(series, &QLineSeries::hovered, this, [this, index](const QPointF& at, bool entered) {
            if (!entered || index >= curves_.size()) {
                QToolTip::hideText();
                return;
            }
            // The point nearest the cursor along the distance.
            const std::vector<ProfilePoint>& points = curves_[index].points;
            const auto nearest = std::min_element(points.begin(), points.end(), [&at](const auto& a, const auto& b) {
                return std::abs(a.km - at.x()) < std::abs(b.km - at.x());
            });
            if (nearest != points.end())
                QToolTip::showText(QCursor::pos(), profilePointText(*nearest), this);
        });
        chart->addSeries(series);
    }

    auto* distance = new QValueAxis(chart);
    distance->setTitleText("Расстояние от шин, км");
    distance->setLabelFormat("%g"); // no needless zeros: «0», «2,5», «10»
    distance->setRange(0, length > 0 ? length : 1);
    auto* loss = new QValueAxis(chart);
    loss->setTitleText("Потеря напряжения ΔU, %");
    loss->setLabelFormat("%g");
    loss->setRange(0, highest * 1.1);
    distance->applyNiceNumbers();
    loss->applyNiceNumbers();
    // The permissible loss across the whole axis, not only as far as the last point.
    auto* limit = new QLineSeries(chart);
    limit->setName("Допустимая потеря");
    limit->setPen(QPen(Qt::red, 1.5, Qt::DashLine));
    limit->append(distance->min(), maxLossPercent);
    limit->append(distance->max(), maxLossPercent);
    chart->addSeries(limit);
    chart->addAxis(distance, Qt::AlignBottom);
    chart->addAxis(loss, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(distance);
        series->attachAxis(loss);
    }
    placeLabels();
}

// The node names beside the points, where a label overlaps neither another label nor the plot's edge.
void VoltageProfileChart::placeLabels() {
    for (QGraphicsSimpleTextItem* label : labels_)
        delete label;
    labels_.clear();
    QChart* chart = this->chart();
    const QList<QAbstractSeries*> series = chart->series();
    const QRectF plot = chart->plotArea();
    std::vector<QRectF> taken;
    for (std::size_t c = 0; c < curves_.size() && qsizetype(c) < series.size(); ++c)
        for (const ProfilePoint& point : curves_[c].points) {
            auto* label = new QGraphicsSimpleTextItem(point.node, chart);
            const QPointF at = chart->mapToPosition(QPointF(point.km, point.lossPercent), series[qsizetype(c)]);
            label->setPos(at + QPointF(3, -label->boundingRect().height() - 2));
            const QRectF rect = label->sceneBoundingRect();
            const bool fits = plot.contains(rect) && std::none_of(taken.begin(), taken.end(), [&rect](const QRectF& other) {
                                  return other.intersects(rect);
                              });
            if (!fits) {
                delete label;
                continue;
            }
            taken.push_back(rect);
            labels_.push_back(label);
        }
}
