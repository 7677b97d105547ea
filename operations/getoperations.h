#pragma once

#include <QObject>

#include "operations/CurrentParametersSource.h"

class DeviceEventDispatcher;

// Read-only questions about the controller's last current-parameters answer. Nothing is
// sent. Before the controller has answered, every query reads the zero placeholder
// (false / 0; getOutputMode() 3).
class getoperations : public QObject {
    Q_OBJECT
public:
    // The output mode reported when the controller's value cannot be used.
    static constexpr int kFallbackOutputMode = 3;

    explicit getoperations(QObject* parent = nullptr);
    getoperations(DeviceEventDispatcher* dispatcher, QObject* parent);

public slots:
    bool getOutputEnabled();
    int getEdgeThreshold();
    int getPressThreshold();
    int getTouchThreshold();
    // The encoding (1, 2 or 3) while output is enabled; otherwise 3. An encoding above 3
    // is logged as unexpected and read as 3.
    int getOutputMode();
    // The last calibration succeeded and not under bad conditions.
    bool getCalibrationSuccessfull();
    bool getIsEdgeStretchActive();
    int getEdgeStretchLevel();
    int getEdgeStretchScale();
    bool getTestMode();
    // Any of scan A, scan B, scan area A, scan area B.
    bool getScanModeEnabled();
    // Diagnostics of array A or B.
    bool getMonitorDiagAB();

private:
    template <typename Reader, typename Value>
    Value read(Reader reader, Value fallback) const;

    CurrentParametersSource m_source;
};
