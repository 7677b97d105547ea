#include "troubleshoot/ScanHeatMapView.h"

#include <QPainter>

#include <utility>

ScanHeatMapView::ScanHeatMapView(Painter painter, QWidget* parent)
    : QWidget(parent), m_painter(std::move(painter)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScanHeatMapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_painter(painter, rect());
}
