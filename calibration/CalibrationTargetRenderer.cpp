#include "CalibrationTargetRenderer.h"

#include <QPainter>
#include <QSettings>

#include <algorithm>
#include <cmath>

#include "protocol/SettingsKeys.h"

namespace {
constexpr double kSizeShare = 0.08;
constexpr double kInset = 0.1;
constexpr double kFullScale = 4096.0;
// QPainter angles are in 1/16 degree, counter-clockwise from three o'clock.
constexpr int kTwelveOClock = 90 * 16;
constexpr int kFullCircle = 360 * 16;

const QColor kDarkGrey(64, 64, 64);
const QColor kDarkGreen(0, 100, 0);
const QColor kOrange(255, 131, 0);
const QColor kLime(181, 215, 0);
const QColor kLavender(147, 141, 205);

int areaWidth(const QRect& area) {
    return area.right() - area.left() + 1;
}

int areaHeight(const QRect& area) {
    return area.bottom() - area.top() + 1;
}
}  // namespace

CalibrationTargetRenderer::CalibrationTargetRenderer(bool engineeringData)
    : m_engineeringData(engineeringData) {}

int CalibrationTargetRenderer::calculateSize(const QRect& area) {
    const double shorter = std::min(areaWidth(area), areaHeight(area));
    return std::clamp(static_cast<int>(kSizeShare * shorter), minimumSize, kMaximumSize);
}

QPoint CalibrationTargetRenderer::position(const QRect& area, const CalibrationTarget& target) {
    const double width = areaWidth(area);
    const double height = areaHeight(area);
    double x = (area.left() + area.right()) / 2;
    if (target.hpos() == CalibrationTarget::Left) {
        x = area.left() + kInset * width;
    } else if (target.hpos() == CalibrationTarget::Right) {
        x = area.right() - kInset * width;
    }
    double y = (area.top() + area.bottom()) / 2;
    if (target.vpos() == CalibrationTarget::Top) {
        y = area.top() + kInset * height;
    } else if (target.vpos() == CalibrationTarget::Bottom) {
        y = area.bottom() - kInset * height;
    }
    return QPoint(static_cast<int>(x), static_cast<int>(y));
}

void CalibrationTargetRenderer::paint(QPainter& painter, const QRect& area,
                                      const CalibrationTarget& target) const {
    if (target.state() == CalibrationTarget::Idle) {
        return;
    }
    const QPoint centre = position(area, target);
    const int size = calculateSize(area);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    paintCircles(painter, centre, size);
    switch (target.state()) {
        case CalibrationTarget::Attending:
            paintCross(painter, centre, size);
            break;
        case CalibrationTarget::Acquiring:
            paintCross(painter, centre, size);
            paintArcs(painter, centre, size, target.calibrationProgress());
            break;
        case CalibrationTarget::Done:
            paintArcs(painter, centre, size, 100);
            paintCheck(painter, centre, size);
            if (m_engineeringData &&
                QSettings().value(SettingsKeys::Calibration::kValue, false).toBool()) {
                paintEngineeringData(painter, area, centre, size, target);
            }
            break;
        default:
            break;
    }
    painter.restore();
}

void CalibrationTargetRenderer::paintCircles(QPainter& painter, QPoint centre, int size) const {
    painter.setPen(QPen(kDarkGrey, 2));
    painter.drawEllipse(centre, size, size);
    painter.setPen(QPen(kLavender, 2));
    painter.drawEllipse(centre, 2 * size / 3, 2 * size / 3);
    painter.setPen(QPen(kDarkGreen, 2));
    painter.drawEllipse(centre, size / 3, size / 3);
}

void CalibrationTargetRenderer::paintCross(QPainter& painter, QPoint centre, int size) const {
    painter.setPen(QPen(kDarkGrey, 1));
    painter.drawLine(centre - QPoint(size, 0), centre + QPoint(size, 0));
    painter.drawLine(centre - QPoint(0, size), centre + QPoint(0, size));
}

void CalibrationTargetRenderer::paintArcs(QPainter& painter, QPoint centre, int size,
                                          int progress) const {
    const int span = -kFullCircle * std::clamp(progress, 0, 100) / 100;
    const int inner = 2 * size / 3;
    painter.setPen(QPen(kOrange, size / 4, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(QRect(centre.x() - inner, centre.y() - inner, 2 * inner, 2 * inner),
                    kTwelveOClock, span);
    painter.setPen(QPen(kLime, size / 4, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(QRect(centre.x() - size, centre.y() - size, 2 * size, 2 * size), kTwelveOClock,
                    span);
}

void CalibrationTargetRenderer::paintCheck(QPainter& painter, QPoint centre, int size) const {
    painter.setPen(QPen(kDarkGreen, std::max(2, size / 8), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre - QPoint(size / 4, size / 4), centre);
    painter.drawLine(centre, centre + QPoint(size, -size));
}

void CalibrationTargetRenderer::paintEngineeringData(QPainter& painter, const QRect& area,
                                                     QPoint centre, int size,
                                                     const CalibrationTarget& target) const {
    const QRect box(centre.x() - size / 2, centre.y() - size / 2, size, size);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter | Qt::TextDontClip,
                     QStringLiteral("x: %1 -- y: %2\na: %3\nFa: %4\nb: %5\nFb: %6")
                         .arg(target.screenPosition.x)
                         .arg(target.screenPosition.y)
                         .arg(target.statA.mean())
                         .arg(target.statA.furthest())
                         .arg(target.statB.mean())
                         .arg(target.statB.furthest()));
    const double spread =
        std::max(std::trunc(target.statA.furthest()), std::trunc(target.statB.furthest())) /
        kFullScale;
    painter.setPen(QPen(Qt::red, 1));
    painter.drawEllipse(centre, static_cast<int>(areaWidth(area) * spread),
                        static_cast<int>(areaHeight(area) * spread));
}
