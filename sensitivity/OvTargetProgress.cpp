#include "OvTargetProgress.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kRadiusFactor = 0.85;
constexpr double kPenDivisor = 16.0;
constexpr int kCheckPenWidth = 4;
// QPainter angles are in 1/16 degree, counter-clockwise from three o'clock.
constexpr int kTwelveOClock = 90 * 16;
constexpr int kFullCircle = 360 * 16;
const QColor kTargetPen(80, 80, 80);
const QColor kIdleCentre(0, 100, 0);
const QColor kArc(255, 131, 0);
const QColor kCompleted(181, 215, 0);
const QColor kText(147, 141, 205);
}  // namespace

OvTargetProgress::ArcGeometry OvTargetProgress::arcGeometry(const QSizeF& size,
                                                            bool forceCircular) {
    double rx = kRadiusFactor * size.width() / 2.0;
    double ry = kRadiusFactor * size.height() / 2.0;
    if (forceCircular) {
        rx = ry = std::min(rx, ry);
    }
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    ArcGeometry geometry;
    geometry.ellipse = QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry);
    geometry.penWidth = (rx + ry) / kPenDivisor;
    return geometry;
}

OvTargetProgress::OvTargetProgress(QWidget* parent) : QWidget(parent) {
    qRegisterMetaType<ProgressState>();
}

double OvTargetProgress::progressFraction() const {
    if (m_maximum <= 0) {
        return 0.0;
    }
    return std::clamp(static_cast<double>(m_value) / m_maximum, 0.0, 1.0);
}

QString OvTargetProgress::text() const {
    const int percent = static_cast<int>(std::lround(progressFraction() * 100.0));
    QString text = m_format;
    text.replace(QLatin1String("%p"), QString::number(percent));
    text.replace(QLatin1String("%v"), QString::number(m_value));
    text.replace(QLatin1String("%m"), QString::number(m_maximum));
    return text;
}

void OvTargetProgress::increment(int amount) {
    setValue(m_value + amount);
}

void OvTargetProgress::decrement(int amount) {
    setValue(m_value - amount);
}

void OvTargetProgress::setValue(int value) {
    const int bounded = std::clamp(value, m_minimum, m_maximum);
    if (bounded == m_value) {
        return;
    }
    m_value = bounded;
    update();
    emit valueChanged(m_value);
}

void OvTargetProgress::clear() {
    setValue(m_minimum);
    setProgressState(Idle);
}

void OvTargetProgress::setMaximum(int theMaximum) {
    setRange(std::min(m_minimum, theMaximum), theMaximum);
}

void OvTargetProgress::setMinimum(int theMinimum) {
    setRange(theMinimum, std::max(m_maximum, theMinimum));
}

void OvTargetProgress::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(m_value);
    update();
}

void OvTargetProgress::setForceCircular(bool forceCircular) {
    m_forceCircular = forceCircular;
    update();
}

void OvTargetProgress::setFormat(QString theFormat) {
    m_format = theFormat;
    update();
}

void OvTargetProgress::setTextVisible(bool textVisible) {
    m_textVisible = textVisible;
    update();
}

void OvTargetProgress::setProgressState(ProgressState state) {
    if (state == m_state) {
        return;
    }
    m_state = state;
    update();
    emit progressStateChanged(m_state);
}

void OvTargetProgress::drawTarget(QPainter& painter, const QRectF& ellipse) const {
    const QPointF centre = ellipse.center();
    painter.setPen(QPen(kTargetPen, 1));
    painter.setBrush(Qt::NoBrush);
    for (double part : {1.0, 2.0 / 3.0, 1.0 / 3.0}) {
        painter.drawEllipse(centre, ellipse.width() / 2 * part, ellipse.height() / 2 * part);
    }
    painter.drawLine(QPointF(ellipse.left(), centre.y()), QPointF(ellipse.right(), centre.y()));
    painter.drawLine(QPointF(centre.x(), ellipse.top()), QPointF(centre.x(), ellipse.bottom()));
    painter.setBrush(m_state == Completed ? kCompleted : kIdleCentre);
    painter.drawEllipse(centre, ellipse.width() / 12, ellipse.height() / 12);
}

void OvTargetProgress::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const ArcGeometry geometry = arcGeometry(size(), m_forceCircular);
    drawTarget(painter, geometry.ellipse);
    if (m_state == Active) {
        painter.setPen(QPen(kArc, geometry.penWidth, Qt::SolidLine, Qt::FlatCap));
        painter.setBrush(Qt::NoBrush);
        const int span = -static_cast<int>(std::lround(progressFraction() * kFullCircle));
        painter.drawArc(geometry.ellipse, kTwelveOClock, span);
        if (m_textVisible) {
            painter.setPen(kText);
            painter.drawText(geometry.ellipse.translated(0, geometry.ellipse.height() / 6),
                             Qt::AlignCenter, text());
        }
    } else if (m_state == Completed) {
        painter.setPen(QPen(kCompleted, kCheckPenWidth, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = geometry.ellipse.center();
        const double s = std::min(geometry.ellipse.width(), geometry.ellipse.height()) / 2;
        painter.drawLine(QPointF(c.x() - s / 4, c.y() - s / 4), c);
        painter.drawLine(c, QPointF(c.x() + s, c.y() - s));
    }
}
