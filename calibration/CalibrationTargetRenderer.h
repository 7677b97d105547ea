#pragma once

#include <QPoint>
#include <QRect>

#include "calibration/CalibrationTarget.h"

class QPainter;

// Draws one target by its state: circles and a cross while attending, progress arcs while
// acquiring, a check mark when done; with the engineering switch and the setting
// "Calibration/Value", also the measured figures and the measured spread to scale.
class CalibrationTargetRenderer {
public:
    // The smallest target, in pixels; the calibration area never gets narrower than three.
    static constexpr int minimumSize = 30;
    static constexpr int kMaximumSize = 200;

    explicit CalibrationTargetRenderer(bool engineeringData);

    // Side of the target for an area: 8 % of its shorter side, 30..200 pixels.
    static int calculateSize(const QRect& area);
    // The target's centre in the area's coordinates: 10 % of the area in from the edges
    // it is placed at, or the middle.
    static QPoint position(const QRect& area, const CalibrationTarget& target);

    void paint(QPainter& painter, const QRect& area, const CalibrationTarget& target) const;

private:
    void paintCircles(QPainter& painter, QPoint centre, int size) const;
    void paintCross(QPainter& painter, QPoint centre, int size) const;
    void paintArcs(QPainter& painter, QPoint centre, int size, int progress) const;
    void paintCheck(QPainter& painter, QPoint centre, int size) const;
    void paintEngineeringData(QPainter& painter, const QRect& area, QPoint centre, int size,
                              const CalibrationTarget& target) const;

    bool m_engineeringData;
};
