#include "CalibrationOperations.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include "logging/LogMacros.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/SettingsKeys.h"
#include "operations/CalibrationDataStore.h"
#include "operations/ConvergingPass.h"
#include "operations/DesiredState.h"
#include "operations/ParameterFlags.h"
#include "operations/SetOperations.h"

namespace {
const QString kUnrotatedDataFile = QStringLiteral("UnrotatedData");
const QString kRotatedDataFile = QStringLiteral("RotatedData");

constexpr int kExcludeNone = 0;
constexpr int kExcludeReducedArea = 1;

using D = DesiredState;
using ParameterFlags::kPeak;
using ParameterFlags::syncFlags;

bool syncCalib3(CommandSetCurrentParameters& command, bool useCalib3, int excludeMode) {
    bool differed = false;
    if (command.isOutputUseCalib3() != useCalib3) {
        command.setOutputUseCalib3(useCalib3);
        differed = true;
    }
    if (command.OutputExcludeMode() != excludeMode) {
        command.setOutputExcludeMode(static_cast<signed char>(excludeMode));
        differed = true;
    }
    return differed;
}

// A copy of a command, its block and its edits (queued commands belong to the
// dispatcher, so a held command is never the queued one).
std::unique_ptr<CommandSetCurrentParameters> copyOf(const CommandSetCurrentParameters& command) {
    std::unique_ptr<CommandSetCurrentParameters> copy(
        CommandFactory::setParams(command.previousResponse()));
    copy->workingCopy() = command.workingCopy();
    return copy;
}
}  // namespace

CalibrationOperations::CalibrationOperations(SetOperations& operations, DesiredState& desired)
    : m_operations(operations), m_desired(desired) {}

int CalibrationOperations::retryMs() const {
    return m_operations.periods().retryMs;
}

int CalibrationOperations::quickRetryMs() const {
    return m_operations.periods().quickRetryMs;
}

void CalibrationOperations::checkCalibSettings(ConvergingPass& pass) {
    Command command = pass.begin(retryMs());
    if (!command) {
        return;
    }
    // Peak monitoring goes off first, in a pass of its own.
    if (syncFlags(*command, {kPeak}, false) || writeResult(*command)) {
        pass.send(std::move(command), retryMs());
        return;
    }
    finishCalibration(pass, std::move(command));
}

bool CalibrationOperations::writeResult(CommandSetCurrentParameters& command) const {
    switch (m_desired.calibResult) {
        case D::kCalibSuccess:
            return syncCalib3(command, true, kExcludeNone);
        case D::kCalibReducedArea:
            return syncCalib3(command, true, kExcludeReducedArea);
        case D::kCalibCancelled:
            if (restoresOutput(command)) {
                writeOutputAfterCalib(command);
                return true;
            }
            return false;
        case D::kCalibFailed:
            if (command.isOutputUseCalib3()) {
                command.setOutputUseCalib3(false);
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool CalibrationOperations::restoresOutput(const ParameterReadAccessor& block) const {
    return m_desired.restoreOutputAfterCalib &&
           (block.isOutputEnabled() != m_desired.outputEnabledAfterCalib ||
            block.outputEncoding() != m_desired.previousOutputEncoding);
}

void CalibrationOperations::writeOutputAfterCalib(CommandSetCurrentParameters& command) const {
    command.setOutputEnabled(m_desired.outputEnabledAfterCalib);
    command.setOutputEncoding(static_cast<unsigned char>(m_desired.previousOutputEncoding));
}

// The controller holds what the result asks for: report the result, restore the output
// and save.
void CalibrationOperations::finishCalibration(ConvergingPass& pass, Command command) {
    clearCalibrationStart();
    const int result = m_desired.calibResult;
    if (result == D::kCalibFailed) {
        emit m_operations.signalCalibrationFinished(D::kCalibFailed);
        emit m_operations.signal_finishedCalibUnset();
        return;
    }
    if (result < D::kCalibSuccess || result >= D::kCalibNoneReported) {
        return;
    }
    QSettings().setValue(SettingsKeys::GeometricCalibration::kCalibResult, result);
    if (restoresOutput(*command)) {
        writeOutputAfterCalib(*command);
        Command held = copyOf(*command);
        pass.send(std::move(command), retryMs());
        m_operations.setHeldCommand(held.release());
        m_operations.saveParametersToFlash();
        return;
    }
    emit m_operations.signalCalibrationFinished(result);
    if (m_desired.restoreOutputAfterCalib) {
        m_operations.setHeldCommand(command.release());
        m_operations.saveParametersToFlash();
    }
}

void CalibrationOperations::setCalibrationMode(ConvergingPass& pass) {
    pass.converge(
        retryMs(),
        [this](CommandSetCurrentParameters& command) {
            if (!syncFlags(command, {kPeak}, m_desired.calibrationMode)) {
                return false;
            }
            if (m_desired.calibrationMode) {
                command.setOutputEnabled(false);
            }
            return true;
        },
        [this] {
            if (m_desired.calibrationMode) {
                emit m_operations.signal_finishedSettingCalibration();
                return;
            }
            clearCalibrationStart();
            emit m_operations.signal_finishedUnsettingCalibration();
        });
}

void CalibrationOperations::setTrackingModeInDevice(ConvergingPass& pass) {
    pass.converge(
        quickRetryMs(),
        [this](CommandSetCurrentParameters& command) {
            return syncFlags(command, {kPeak}, m_desired.tracking);
        },
        [this] {
            if (!m_desired.tracking) {
                clearCalibrationStart();
            }
        },
        ConvergingPass::Follow::Nothing);
}

void CalibrationOperations::setCalib3OutputExclude(ConvergingPass& pass) {
    pass.converge(
        quickRetryMs(),
        [this](CommandSetCurrentParameters& command) {
            return syncCalib3(command, m_desired.useCalib3, m_desired.excludeMode);
        },
        [this] { emit m_operations.signal_Calib3ExculdeMode(m_desired.useCalib3); },
        ConvergingPass::Follow::SaveToFlash);
}

int CalibrationOperations::storedCalibResult() {
    bool known = false;
    const int result =
        QSettings()
            .value(SettingsKeys::GeometricCalibration::kCalibResult, D::kCalibNoTouch)
            .toInt(&known);
    return known ? result : D::kCalibNoTouch;
}

void CalibrationOperations::clearCalibrationStart() {
    QSettings().setValue(SettingsKeys::Calibration::kStart, false);
}

void CalibrationOperations::setRotationCalibrationData(const QByteArray& unrotated,
                                                       const QByteArray& rotated) {
    CalibrationDataStore::storeCalibrationData(unrotated, rotated);
    writeCalibrationFile(kUnrotatedDataFile, unrotated);
    writeCalibrationFile(kRotatedDataFile, rotated);
}

void CalibrationOperations::writeCalibrationFile(const QString& name, const QByteArray& data) {
    QFile file(QDir::current().filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        TLOG_WARNING(QStringLiteral("Unable to write %1: %2").arg(name, file.errorString()));
        return;
    }
    if (file.write(data) != data.size()) {
        TLOG_WARNING(QStringLiteral("Unable to write %1: %2").arg(name, file.errorString()));
    }
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
}
