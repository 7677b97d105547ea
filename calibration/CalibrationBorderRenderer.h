#pragma once

#include <QRect>

class QPainter;

// The calibration area: a blue frame over a faint blue fill.
class CalibrationBorderRenderer {
public:
    void paint(QPainter& painter, const QRect& area) const;
};
