#include "OvEqualizerLines.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr double kFullScale = 255.0;
constexpr int kMinimumReadoutBarWidth = 14;
const QColor kBackground(24, 24, 24);
const QColor kBar(181, 215, 0);
const QColor kWireOutBar(220, 30, 30);
const QColor kPressLine(255, 131, 0);
const QColor kNoiseLine(147, 141, 205);
const QColor kScanOutline(90, 170, 255);
const QColor kReadout(Qt::white);

double yOfLevel(double level, int height) {
    return height - std::clamp(level, 0.0, kFullScale) / kFullScale * height;
}
}  // namespace

OvEqualizerLines::OvEqualizerLines(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OvEqualizerLines::setDisplayOptions(DisplayOptions options) {
    m_options = options;
    update();
}

void OvEqualizerLines::setDisplayOption(DisplayOption option, bool on) {
    m_options.setFlag(option, on);
    update();
}

void OvEqualizerLines::accumulate(const QByteArray& frame) {
    if (m_model.accumulate(frame)) {
        emit finishedAccumulatingSamples();
    }
}

void OvEqualizerLines::analyzeAndDisplay(QByteArray theData) {
    accumulate(theData);
    update();
}

void OvEqualizerLines::paintData(QByteArray theData) {
    m_model.setFrame(theData);
    update();
}

void OvEqualizerLines::push(QByteArray theData) {
    m_model.setFrame(theData);
    accumulate(theData);
    update();
}

void OvEqualizerLines::pushScanData(QByteArray theData) {
    m_model.addScanLine(theData);
    update();
}

void OvEqualizerLines::pushHorVerData(QByteArray verHor) {
    m_model.setScanProfile(verHor);
    update();
}

void OvEqualizerLines::clearStats() {
    m_model.clearStatistics();
    update();
}

void OvEqualizerLines::emptyWireOutData() {
    m_model.clearStatistics();
    m_model.clearWireOut();
    update();
}

void OvEqualizerLines::emptyScanOutData() {
    m_model.clearScan();
    update();
}

void OvEqualizerLines::emptyEdgeData() {
    m_model.setFrame(QByteArray());
    update();
}

void OvEqualizerLines::clearWireOutStats() {
    m_model.clearWireOut();
    update();
}

void OvEqualizerLines::setPress(int press) {
    m_model.setPress(press);
    update();
}

void OvEqualizerLines::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const int wires = std::max(m_model.wireCount(), static_cast<int>(m_model.scanProfile().size()));
    if (wires > 0) {
        const double barWidth = static_cast<double>(width()) / wires;
        const bool showWireOut = m_options.testFlag(ShowWireOut);
        for (int i = 0; i < m_model.wireCount(); ++i) {
            const double top = yOfLevel(m_model.readout(i, false), height());
            const QRectF bar(i * barWidth + 1, top, std::max(barWidth - 2, 1.0), height() - top);
            painter.fillRect(bar, showWireOut && m_model.isWireOut(i) ? kWireOutBar : kBar);
        }
        painter.setPen(QPen(kScanOutline, 1));
        for (int i = 0; i < m_model.scanProfile().size(); ++i) {
            const double top = yOfLevel(static_cast<quint8>(m_model.scanProfile().at(i)), height());
            painter.drawRect(
                QRectF(i * barWidth + 1, top, std::max(barWidth - 3, 1.0), height() - top - 1));
        }
        if (m_options.testFlag(ShowReadout) && barWidth >= kMinimumReadoutBarWidth) {
            painter.setPen(kReadout);
            const bool offset = m_options.testFlag(SubtractOffset);
            for (int i = 0; i < m_model.wireCount(); ++i) {
                const QRectF cell(i * barWidth, 0, barWidth, painter.fontMetrics().height());
                painter.drawText(cell, Qt::AlignCenter,
                                 QString::number(m_model.readout(i, offset)));
            }
        }
    }
    if (m_options.testFlag(ShowWireOut) && m_model.isEvaluated()) {
        painter.setPen(QPen(kNoiseLine, 1, Qt::DashLine));
        const double y = yOfLevel(m_model.noiseLevel(), height());
        painter.drawLine(QPointF(0, y), QPointF(width(), y));
    }
    if (m_options.testFlag(ShowPressLevel)) {
        painter.setPen(QPen(kPressLine, 2));
        const double y = yOfLevel(m_model.press(), height());
        painter.drawLine(QPointF(0, y), QPointF(width(), y));
    }
}
