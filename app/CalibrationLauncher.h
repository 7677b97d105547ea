#pragma once

#include <QObject>
#include <QPointer>

#include "calibration/FormCalibration.h"

class DeviceEventDispatcher;
class QWidget;
class SetOperations;

// The home page's and the wizard's way into a calibration: puts the controller into
// calibration mode through the operations, runs the calibration window modally, and
// hands its result to SetOperations::checkCalibSettings, which sets calibration 3 after a
// success and brings back and saves the output as it was before the run. After a failed
// run (result 3) the output is brought back as well.
class CalibrationLauncher : public QObject {
    Q_OBJECT
public:
    CalibrationLauncher(QWidget* window, DeviceEventDispatcher* dispatcher,
                        SetOperations* operations);

    // The running calibration window; nullptr when none.
    FormCalibration* calibrationWindow() const { return m_form; }
    bool isRunning() const { return m_running; }

signals:
    // The calibration failed and asks for the sensitivity graph.
    void signalShowSensThresEditor();

public slots:
    // Starts a run unless one is running (that window is raised then). showDialogs: the
    // window reports its outcome in a message box. False (logged) without a controller.
    bool start(bool showDialogs);

private:
    void openWindow();
    void onFinished(int result);
    void restoreOutput();

    QWidget* m_window;
    DeviceEventDispatcher* m_dispatcher;
    SetOperations* m_operations;
    QPointer<FormCalibration> m_form;
    QMetaObject::Connection m_modeSet;
    QMetaObject::Connection m_unset;
    bool m_running = false;
    bool m_showDialogs = true;
    bool m_outputEnabledBefore = false;
    int m_outputEncodingBefore = 0;
};
