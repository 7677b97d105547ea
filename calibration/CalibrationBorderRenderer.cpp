#include "CalibrationBorderRenderer.h"

#include <QPainter>

namespace {
constexpr int kPenWidth = 4;
constexpr double kFillOpacity = 0.25;
}  // namespace

void CalibrationBorderRenderer::paint(QPainter& painter, const QRect& area) const {
    painter.save();
    QColor fill(Qt::blue);
    fill.setAlphaF(kFillOpacity);
    painter.setPen(QPen(Qt::blue, kPenWidth));
    painter.setBrush(fill);
    painter.drawRect(area);
    painter.restore();
}
