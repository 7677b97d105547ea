#include "CalibrationDataStore.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/CurrentParametersSource.h"

namespace {
constexpr int kUnrotatedMode = 1;
constexpr int kFirstRotatedMode = 2;
constexpr int kLastRotatedMode = 3;
}  // namespace

void CalibrationDataStore::storeCalibrationData(const QByteArray& unrotated,
                                                const QByteArray& rotated) {
    QSettings settings;
    settings.setValue(SettingsKeys::GeometricCalibration::kUnrotatedData, unrotated);
    settings.setValue(SettingsKeys::GeometricCalibration::kRotatedData, rotated);
}

QByteArray CalibrationDataStore::storedCalibrationData(int touchMode) {
    if (touchMode == kUnrotatedMode) {
        return QSettings().value(SettingsKeys::GeometricCalibration::kUnrotatedData).toByteArray();
    }
    if (touchMode >= kFirstRotatedMode && touchMode <= kLastRotatedMode) {
        return QSettings().value(SettingsKeys::GeometricCalibration::kRotatedData).toByteArray();
    }
    return QByteArray();
}

QByteArray CalibrationDataStore::currentCalibrationData(DeviceEventDispatcher* dispatcher) {
    const ResponseDelegateCurrentParameters* current =
        CurrentParametersSource(dispatcher).answered();
    if (current == nullptr) {
        return QByteArray();
    }
    return storedCalibrationData(current->outputEncoding());
}

bool CalibrationDataStore::sendCalibrationData(DeviceEventDispatcher* dispatcher) {
    const QByteArray data = currentCalibrationData(dispatcher);
    if (data.isEmpty() || dispatcher == nullptr) {
        return false;
    }
    if (data.size() > kMaxDataBytes) {
        TLOG_WARNING(QStringLiteral("Stored calibration data of %1 bytes does not fit a "
                                    "command, not sent.")
                         .arg(data.size()));
        return false;
    }
    dispatcher->queueCommand(CommandFactory::calibration3(data));
    return true;
}
