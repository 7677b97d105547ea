#pragma once

#include <QByteArray>
#include <QObject>

#include "calibration/CalibrationTarget.h"

class DeviceEventDispatcher;
class getoperations;

// Turns the calibration targets into the controller's calibration data, adapts their
// screen positions to the display orientation and re-sends the stored data of the
// controller's current output mode.
//
// Wire payload of calibration3: 8 bytes per target in list order, each value unsigned
// 16-bit little-endian (the low 16 bits of the integer): screen x, screen y,
// trunc(mean A), trunc(mean B).
class CalibrationClasses : public QObject {
    Q_OBJECT
public:
    static constexpr int kRecordSize = 8;
    // The calibration coordinate space runs 0..kFullScale; rotations turn about its centre.
    static constexpr int kFullScale = 4096;
    static constexpr int kCentre = 2048;

    explicit CalibrationClasses(QObject* parent = nullptr);
    CalibrationClasses(DeviceEventDispatcher* dispatcher, QObject* parent);

    QByteArray buildCalibrationData(CalibrationTarget::PList list);
    // Turns the screen positions of every target about (2048, 2048) when the display
    // orientation plus mode quarter turns is 90, 180 or 270 degrees (a negative sum is
    // left alone); the statistics never change. Returns the list.
    CalibrationTarget::PList rotateIfNeeded(CalibrationTarget::PList list, int mode);

    // Mode 1: "GeometricCalibration/UnrotatedData"; 2 or 3: "GeometricCalibration/RotatedData";
    // anything else (or nothing stored) an empty array.
    static QByteArray storedCalibrationData(int touchMode);
    // The stored array for the output encoding of the controller's last block.
    QByteArray currentCalibrationData() const;

    void setExclusionZone(bool on) { m_exclusionZone = on; }
    bool exclusionZone() const { return m_exclusionZone; }

public slots:
    // True when the controller's calibration-3 output and exclude mode already are what
    // its calibration status asks for. Reports only; sends nothing.
    bool checkCalibSettings();
    // Both send the stored data of the controller's current output mode (the argument is
    // not used); nothing when that array is empty.
    void sendCalibrationData(int theTouchMode);
    void sendCalibrationData();

private:
    void logDiagnostics(const CalibrationTarget::PList& list) const;

    DeviceEventDispatcher* m_dispatcher;
    getoperations* m_getOperations;
    bool m_exclusionZone = false;
};
