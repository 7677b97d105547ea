#pragma once

// What the callers of the parameter operations ask for: the values a slot converges the
// controller to, and the facts about the last calibration that decide what it restores.
// Set through SetOperations' setters before a slot is invoked.
struct DesiredState {
    // Calibration result codes (calibResult).
    static constexpr int kCalibSuccess = 0;
    static constexpr int kCalibReducedArea = 1;
    static constexpr int kCalibCancelled = 2;
    static constexpr int kCalibFailed = 3;
    static constexpr int kCalibNoTouch = 4;
    static constexpr int kCalibNoneReported = 5;

    int edgeThreshold = 0;
    int touchThreshold = 0;
    int pressThreshold = 0;
    // Written as touch and press threshold by setThreshold().
    int sensThreshold = 0;
    // Written as edge and scan prescaler.
    int prescaler = 0;
    // The output pair; setting one moves the old value to its previous one.
    bool outputEnabled = false;
    bool previousOutputEnabled = false;
    int outputEncoding = 0;
    int previousOutputEncoding = 0;
    // enableOutput()'s target.
    bool outputSwitch = false;
    bool diagAB = false;
    bool saveAfterDiag = false;
    bool testMode = false;
    bool testModeDirect = false;
    bool edgeDiagAB = false;
    bool monitorEdges = false;
    bool monitorEdgeAB = false;
    bool scanMode = false;
    bool useCalib3 = false;
    int excludeMode = 0;
    bool calibrationMode = false;
    bool tracking = false;
    // 0 success, 1 success with a reduced area, 2 cancelled, 3 failed, 4 no touch,
    // 5 none reported yet.
    int calibResult = kCalibNoneReported;
    bool restoreOutputAfterCalib = false;
    bool outputEnabledAfterCalib = false;
    // 0 edge view, 1 scan view, 2 neither.
    int viewMode = 0;

    // The monitor targets that unSetMonitorParameters() and saveParametersToFlash() drop.
    void clearMonitorTargets() {
        scanMode = false;
        monitorEdgeAB = false;
        testMode = false;
        diagAB = false;
        edgeDiagAB = false;
        monitorEdges = false;
    }
};
