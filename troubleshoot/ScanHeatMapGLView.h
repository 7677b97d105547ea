#pragma once

#include <QOpenGLWidget>

#include "troubleshoot/ScanHeatMapView.h"

// The heat map on an OpenGL surface: the same painter function as ScanHeatMapView, run
// by QPainter's OpenGL engine (the images become textures drawn with nearest filtering).
class ScanHeatMapGLView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit ScanHeatMapGLView(ScanHeatMapView::Painter painter, QWidget* parent = nullptr);

protected:
    void paintGL() override;

private:
    ScanHeatMapView::Painter m_painter;
};
