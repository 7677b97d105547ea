#include "app/CalibrationLauncher.h"

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "calibration/FormCalibration.h"

CalibrationLauncher::CalibrationLauncher(QWidget* window, DeviceEventDispatcher* dispatcher,
                                         SetOperations* operations)
    : QObject(window), m_window(window), m_dispatcher(dispatcher), m_operations(operations) {}

bool CalibrationLauncher::start(bool showDialogs) {
    TTRACE();
    if (m_running) {
        if (m_form != nullptr) {
            m_form->raise();
            m_form->activateWindow();
        }
        return true;
    }
    const ResponseDelegateCurrentParameters* block =
        CurrentParametersSource(m_dispatcher).answered();
    if (block == nullptr || m_operations == nullptr) {
        TLOG_WARNING(QStringLiteral("No controller parameters yet, calibration not started."));
        return false;
    }
    m_running = true;
    m_showDialogs = showDialogs;
    m_outputEnabledBefore = block->isOutputEnabled();
    m_outputEncodingBefore = block->outputEncoding();
    // What checkCalibSettings brings back after the run: the encoding goes in as the
    // previous one, so it is set twice.
    m_operations->setOutputEnabledAfterCalib(m_outputEnabledBefore);
    m_operations->setDesiredOutputEncoding(m_outputEncodingBefore);
    m_operations->setDesiredOutputEncoding(m_outputEncodingBefore);
    m_operations->setRestoreOutputAfterCalib(true);
    m_modeSet = connect(m_operations, &SetOperations::signal_finishedSettingCalibration, this,
                        &CalibrationLauncher::openWindow);
    m_operations->setDesiredCalibrationMode(true);
    m_operations->setCalibrationMode();
    return true;
}

void CalibrationLauncher::openWindow() {
    disconnect(m_modeSet);
    m_form = new FormCalibration(m_dispatcher, m_operations, m_window);
    m_form->setShowDialogs(m_showDialogs);
    m_form->setWindowModality(Qt::ApplicationModal);
    connect(m_form, &QDialog::finished, this, &CalibrationLauncher::onFinished);
    connect(m_form, &FormCalibration::signalShowSensThresEditor, this,
            &CalibrationLauncher::signalShowSensThresEditor);
    m_form->show();
    m_form->startCalibrationProcess(true);
}

void CalibrationLauncher::onFinished(int result) {
    TLOG_INFO(QStringLiteral("Calibration ended with result %1").arg(result));
    m_running = false;
    m_operations->setDesiredCalibrationMode(false);
    m_operations->setCalibResult(result);
    // A failed run leaves calibration 3 off and stops there; the output must not stay off.
    m_unset = connect(m_operations, &SetOperations::signal_finishedCalibUnset, this,
                      &CalibrationLauncher::restoreOutput);
    m_operations->checkCalibSettings();
}

void CalibrationLauncher::restoreOutput() {
    disconnect(m_unset);
    m_operations->setDesiredOutputEnabled(m_outputEnabledBefore);
    m_operations->setDesiredOutputEncoding(m_outputEncodingBefore);
    m_operations->setDeviceOutputMode();
}
