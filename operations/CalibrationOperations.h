#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class CommandSetCurrentParameters;
class ConvergingPass;
class ParameterReadAccessor;
class SetOperations;
struct DesiredState;

// The calibration side of the parameter operations: peak monitoring while a calibration
// runs, what the controller keeps after it (calibration 3 with its exclude mode, the
// output as it was) and the raw calibration files. SetOperations' slots of the same names
// run these with the pass of the slot, and these emit SetOperations' signals.
class CalibrationOperations {
public:
    CalibrationOperations(SetOperations& operations, DesiredState& desired);

    void checkCalibSettings(ConvergingPass& pass);
    void setCalibrationMode(ConvergingPass& pass);
    void setTrackingModeInDevice(ConvergingPass& pass);
    void setCalib3OutputExclude(ConvergingPass& pass);
    void setRotationCalibrationData(const QByteArray& unrotated, const QByteArray& rotated);

    // The result of the last finished calibration ("GeometricCalibration/CalibResult"),
    // 4 (no touch) when none is stored or the value is not a number.
    static int storedCalibResult();

private:
    using Command = std::unique_ptr<CommandSetCurrentParameters>;

    // Writes what the calibration result asks the controller to keep; true when the
    // command changed.
    bool writeResult(CommandSetCurrentParameters& command) const;
    bool restoresOutput(const ParameterReadAccessor& block) const;
    void writeOutputAfterCalib(CommandSetCurrentParameters& command) const;
    void finishCalibration(ConvergingPass& pass, Command command);
    int retryMs() const;
    int quickRetryMs() const;
    static void clearCalibrationStart();
    static void writeCalibrationFile(const QString& name, const QByteArray& data);

    SetOperations& m_operations;
    DesiredState& m_desired;
};
