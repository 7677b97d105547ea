#include "CalibrationRenderer.h"

#include <QPainter>

CalibrationRenderer::CalibrationRenderer() : m_target(true) {}

void CalibrationRenderer::paint(QPainter& painter, QPaintEvent* event, const QRect& area,
                                const CalibrationTarget::PList& list) const {
    Q_UNUSED(event);
    m_border.paint(painter, area);
    for (const CalibrationTarget* target : list) {
        if (target != nullptr) {
            m_target.paint(painter, area, *target);
        }
    }
}
