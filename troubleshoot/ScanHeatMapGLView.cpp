#include "troubleshoot/ScanHeatMapGLView.h"

#include <QPainter>

#include <utility>

ScanHeatMapGLView::ScanHeatMapGLView(ScanHeatMapView::Painter painter, QWidget* parent)
    : QOpenGLWidget(parent), m_painter(std::move(painter)) {}

void ScanHeatMapGLView::paintGL() {
    QPainter painter(this);
    m_painter(painter, rect());
}
