#pragma once

#include <QRect>

#include "calibration/CalibrationBorderRenderer.h"
#include "calibration/CalibrationTarget.h"
#include "calibration/CalibrationTargetRenderer.h"

class QPainter;
class QPaintEvent;

// Paints the calibration area, then every target in list order.
class CalibrationRenderer {
public:
    CalibrationRenderer();

    void paint(QPainter& painter, QPaintEvent* event, const QRect& area,
               const CalibrationTarget::PList& list) const;

private:
    CalibrationBorderRenderer m_border;
    CalibrationTargetRenderer m_target;
};
