#pragma once

#include "calc/calculation.h"

#include <QChartView>
#include <QString>
#include <QStringList>

#include <vector>

// The voltage profile of a line: the voltage loss along the path from the busbars to each end node of
// the line (through the jumper, in a mode) against the distance.

struct ProfilePoint {
    double km = 0;
    double lossPercent = 0;
    QString node;
};

struct ProfileCurve {
    QString endNode;
    std::vector<ProfilePoint> points; // from the head on the busbars to the end node
};

// The lines that have nodes in the scheme, in the order of their first node.
QStringList profileLines(const k10::calc::SchemeResult& scheme);
// One curve per end node of the line (a node of the line that feeds no other node), in the regime.
std::vector<ProfileCurve> voltageProfile(const k10::calc::SchemeResult& scheme, k10::calc::Regime regime,
                                         const QString& line);

class VoltageProfileChart : public QChartView {
    Q_OBJECT

public:
    explicit VoltageProfileChart(QWidget* parent = nullptr);

    // Draws the curves and the permissible loss as a horizontal line; no curves empty the chart.
    void showProfile(const std::vector<ProfileCurve>& curves, double maxLossPercent);
};
