#pragma once

#include <QByteArray>
#include <QString>

class DeviceEventDispatcher;

// The geometric calibration data kept between runs, one array per family of output
// modes, and its re-sending as a calibration3 command. The calibration window stores
// both arrays at the end of each calibration; the parameter operations re-send the one
// that belongs to the controller's output mode whenever that mode changes.
//
// Settings (per user): "GeometricCalibration/UnrotatedData" for output mode 1,
// "GeometricCalibration/RotatedData" for modes 2 and 3.
class CalibrationDataStore {
public:
    // Most calibration bytes one command can carry (a packet's payload).
    static constexpr int kMaxDataBytes = 58;

    // Stores both arrays in the settings.
    static void storeCalibrationData(const QByteArray& unrotated, const QByteArray& rotated);

    // The array stored for an output mode: 1 the unrotated one, 2 or 3 the rotated one,
    // any other mode (or nothing stored) an empty array.
    static QByteArray storedCalibrationData(int touchMode);

    // The array for the output encoding of the controller's last current-parameters
    // answer; empty before the controller has answered.
    static QByteArray currentCalibrationData(DeviceEventDispatcher* dispatcher);

    // Queues calibration3 with currentCalibrationData() on the dispatcher. Returns true
    // when a command was queued; false when there is nothing to send (no data for the
    // mode, no answer yet) or the stored array is longer than a command can carry (logged,
    // as a corrupt settings value).
    static bool sendCalibrationData(DeviceEventDispatcher* dispatcher);
};
