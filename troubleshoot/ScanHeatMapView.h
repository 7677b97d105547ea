#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// The heat map drawn with QPainter alone, for machines without a usable OpenGL. The
// drawing itself is the painter function it is given.
class ScanHeatMapView : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter& painter, const QRect& area)>;

    explicit ScanHeatMapView(Painter painter, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Painter m_painter;
};
