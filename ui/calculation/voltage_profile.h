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
    double uKv = 0;
};

struct ProfileCurve {
    QString endNode;
    std::vector<ProfilePoint> points; // from the head on the busbars to the end node
};

// The lines that have nodes in the scheme, in the order of their first node.
QStringList profileLines(const k10::calc::SchemeResult& scheme);
// One curve per end of the line (a node of the line that feeds no other node of the line: the node that
// feeds a jumper to another line ends its own line there), in the regime; a line cut off right after its
// head has no curve. The curve of the end that loses most comes first.
std::vector<ProfileCurve> voltageProfile(const k10::calc::SchemeResult& scheme, k10::calc::Regime regime,
                                         const QString& line);

class VoltageProfileChart : public QChartView {
    Q_OBJECT

public:
    explicit VoltageProfileChart(QWidget* parent = nullptr);

    // Draws the curves and the permissible loss as a horizontal line across the whole axis; no curves
    // empty the chart. Each point names its node and values on hover, and as a label where it fits.
    void showProfile(const std::vector<ProfileCurve>& curves, double maxLossPercent);

private:
    void placeLabels();

    std::vector<ProfileCurve> curves_;
    std::vector<class QGraphicsSimpleTextItem*> labels_;
};

// What a point of the profile says of its node: «оп12: 3,4 км; U = 9,870 кВ; ΔU = 1,30 %».
QString profilePointText(const ProfilePoint& point);
