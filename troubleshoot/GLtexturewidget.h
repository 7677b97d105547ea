#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "protocol/ScanData.h"
#include "troubleshoot/ScanHeatMapModel.h"

class DeviceEventDispatcher;
class QPainter;
class ResponseDelegateCurrentParameters;
class ResponseDelegateProcessedScan;
class ResponseDelegateScanArea;
class SetOperations;

// The scan heat map: the grids of ScanHeatMapModel drawn as images, refreshed by a redraw
// timer (250 ms) while it is connected. It draws on an OpenGL surface (QOpenGLWidget), or
// with QPainter alone when OpenGL cannot be had or "GraphView/NoOpenGL" is set.
//
// DoConnections() (also run when the widget is shown) starts the timer, feeds the model
// from the "ProcessedScan" lines, the "ScanArea" images and the touch threshold, and, when
// it drives the controller, has the operations switch the controller to the scan view.
// DodisConnections() stops the timer and the feeds; the grids keep their values.
class GLtexturewidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRedrawIntervalMs = 250;

    GLtexturewidget(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                    QWidget* parent = nullptr);
    ~GLtexturewidget() override;

    // Whether an OpenGL surface is used here: not with "GraphView/NoOpenGL" set, not on
    // the offscreen and minimal platforms, and only when a context can be made current.
    static bool isOpenGLUsable();
    bool usesOpenGL() const { return m_usesOpenGL; }

    ScanHeatMapModel& model() { return m_model; }
    const ScanHeatMapModel& model() const { return m_model; }
    // False while a log is replayed: the controller's streams are the log's.
    void setDrivesController(bool drives) { m_drivesController = drives; }
    // The graph window's test-mode flag, kept for the scan view.
    void setTestMode(bool on) { m_testMode = on; }
    bool testMode() const { return m_testMode; }
    void setRedrawInterval(int ms) { m_redrawTimer.setInterval(ms); }
    bool isConnected() const { return m_redrawTimer.isActive(); }
    // Frames drawn so far.
    int redrawCount() const { return m_redrawCount; }

public slots:
    void Save(QByteArray ba, bool flag, int lineNo);
    void setThreshold(int touchThreshold);
    void DoConnections();
    void DodisConnections();
    void processScanAreaDataA(scanArea::ScanData area);
    void processScanAreaDataB(scanArea::ScanData area);
    // 0 last array, 1 both arrays, 2 hold, 3 combined.
    void setDisplayMode(int mode);
    void setCombineMode(int mode);
    void setPalette(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void paintHeatMap(QPainter& painter, const QRect& area);
    void drawImage(QPainter& painter, int image, const QRect& target);
    void refresh();

    QPointer<DeviceEventDispatcher> m_dispatcher;
    SetOperations* m_operations;
    QPointer<ResponseDelegateProcessedScan> m_scan;
    QPointer<ResponseDelegateScanArea> m_scanArea;
    QPointer<ResponseDelegateCurrentParameters> m_parameters;
    ScanHeatMapModel m_model;
    QWidget* m_view = nullptr;
    QTimer m_redrawTimer;
    bool m_usesOpenGL = false;
    bool m_drivesController = true;
    bool m_testMode = false;
    int m_redrawCount = 0;
};
