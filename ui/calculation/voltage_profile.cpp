#include "ui/calculation/voltage_profile.h"

#include <QChart>
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

QStringList profileLines(const SchemeResult& scheme) {
    QStringList lines;
    std::unordered_set<std::string_view> seen;
    for (const NodeResult& node : scheme.nodes)
        if (seen.insert(node.line).second)
            lines << utf8(node.line);
    return lines;
}

std::vector<ProfileCurve> voltageProfile(const SchemeResult& scheme, Regime regime, const QString& line) {
    const std::vector<NodeResult>& nodes = scheme.nodes;
    const auto& voltages = scheme.regimes[int(regime)].nodes;
    std::vector<bool> feeds(nodes.size(), false);
    for (const NodeResult& node : nodes)
        if (node.parent >= 0 && std::size_t(node.parent) < nodes.size())
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
            curve.points.push_back({node.distanceKm, voltages[std::size_t(at)].lossPercent, utf8(node.node)});
        }
        std::reverse(curve.points.begin(), curve.points.end());
        curves.push_back(std::move(curve));
    }
    return curves;
}

VoltageProfileChart::VoltageProfileChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignRight);
    chart()->setLocalizeNumbers(true); // the Russian decimal comma on the axes
    chart()->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    setMinimumHeight(200);
}

void VoltageProfileChart::showProfile(const std::vector<ProfileCurve>& curves, double maxLossPercent) {
    QChart* chart = this->chart();
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
        chart->addSeries(series);
    }
    auto* limit = new QLineSeries(chart);
    limit->setName("Допустимая потеря");
    limit->setPen(QPen(Qt::red, 1.5, Qt::DashLine));
    limit->append(0, maxLossPercent);
    limit->append(length > 0 ? length : 1, maxLossPercent);
    chart->addSeries(limit);

    auto* distance = new QValueAxis(chart);
    distance->setTitleText("Расстояние от шин, км");
    distance->setLabelFormat("%.2f");
    distance->setRange(0, length > 0 ? length : 1);
    auto* loss = new QValueAxis(chart);
    loss->setTitleText("Потеря напряжения ΔU, %");
    loss->setLabelFormat("%.1f");
    loss->setRange(0, highest * 1.1);
    distance->applyNiceNumbers();
    loss->applyNiceNumbers();
    chart->addAxis(distance, Qt::AlignBottom);
    chart->addAxis(loss, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(distance);
        series->attachAxis(loss);
    }
}
